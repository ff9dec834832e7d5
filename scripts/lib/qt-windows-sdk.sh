# Shared by scripts/windows: the Qt 6.4.2 SDK for 64-bit Windows the cross build links against.
# Where the team's prebuilt copy sits beside the repository it is used as it is; anywhere else it is
# built once from Debian's own qt6-base source package (the same version as the host's moc, rcc and
# uic) into a cache folder outside every build tree: about 15 minutes on 2 cores.

DOVRA_QT_VERSION=6.4.2

# qt_windows_sdk: prints the SDK's folder, building it first when there is none.
qt_windows_sdk() {
    local shared=../shared/sdk/qt$DOVRA_QT_VERSION-mingw64
    local cache=${DOVRA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dovra}/qt$DOVRA_QT_VERSION-mingw64
    if [ -n "${DOVRA_QT_SDK:-}" ]; then
        echo "$DOVRA_QT_SDK"
    elif [ -f "$shared/lib/cmake/Qt6/Qt6Config.cmake" ]; then
        realpath "$shared"
    else
        if [ ! -f "$cache/.complete" ]; then
            build_qt_windows_sdk "$cache" >&2
        fi
        echo "$cache"
    fi
}

# Needs a deb-src line for bookworm main: where apt has none, the system's own deb sources are repeated
# as deb-src, so the sources come from wherever this machine already takes its packages.
ensure_qt_source() {
    if apt-get source --download-only --print-uris qt6-base >/dev/null 2>&1; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "Building the Qt SDK for Windows needs a deb-src line for bookworm main in the apt sources." >&2
        return 1
    fi
    local file
    {
        for file in /etc/apt/sources.list.d/*.sources; do
            [ -f "$file" ] && sed -n '/^Types:/,/^$/p' "$file" | sed 's/^Types:.*/Types: deb-src/'
            echo
        done
    } >/etc/apt/sources.list.d/dovra-qt-source.sources
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >/etc/apt/sources.list.d/dovra-qt-source.list
    fi
    DEBIAN_FRONTEND=noninteractive apt-get update
}

# build_qt_windows_sdk PREFIX: QtCore, QtGui, QtWidgets, QtNetwork, QtPrintSupport and QtTest as DLLs
# built with the MinGW-w64 GCC (posix threads), with the windows and offscreen platforms.
build_qt_windows_sdk() {
    local prefix=$1 work
    work="$(dirname "$prefix")/qt-work"
    ensure_packages ninja-build cmake xz-utils dpkg-dev qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix
    ensure_qt_source
    mkdir -p "$work"
    (
        cd "$work"
        [ -f qt6-base_$DOVRA_QT_VERSION+dfsg.orig.tar.xz ] || apt-get source --download-only qt6-base
        [ -d qtbase-everywhere-src-$DOVRA_QT_VERSION ] || tar xf qt6-base_$DOVRA_QT_VERSION+dfsg.orig.tar.xz
    )
    # direct2d must stay on: without it QtGui lacks the DirectWrite font engine that QtPrintSupport
    # still calls (a link error in 6.4.2).
    rm -rf "$work/build" "$prefix"
    cmake -G Ninja -S "$work/qtbase-everywhere-src-$DOVRA_QT_VERSION" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw64-toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_testlib=ON -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
        -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_opengl_desktop=OFF -DFEATURE_opengl_dynamic=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF -DFEATURE_tabletevent=OFF \
        -DFEATURE_jpeg=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_png=ON -DFEATURE_system_png=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF \
        -DFEATURE_harfbuzz=ON -DFEATURE_system_harfbuzz=OFF -DFEATURE_pcre2=ON -DFEATURE_system_pcre2=OFF \
        -DFEATURE_doubleconversion=ON -DFEATURE_system_doubleconversion=OFF \
        -DFEATURE_openssl=OFF -DFEATURE_sspi=ON -DFEATURE_printsupport=ON -DFEATURE_pdf=ON \
        -DFEATURE_systemtrayicon=ON -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF
    cmake --build "$work/build" --parallel "$(nproc)"
    cmake --install "$work/build"
    find "$prefix" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
    rm -rf "$prefix/doc"
    mkdir -p "$prefix/licenses/3rdparty"
    cp "$work/qtbase-everywhere-src-$DOVRA_QT_VERSION/LICENSES/"*.txt "$prefix/licenses/"
    local part
    for part in zlib libpng freetype harfbuzz-ng pcre2 double-conversion md4c tinycbor; do
        mkdir -p "$prefix/licenses/3rdparty/$part"
        find "$work/qtbase-everywhere-src-$DOVRA_QT_VERSION/src/3rdparty/$part" -maxdepth 2 \
            \( -iname 'licen[cs]e*' -o -iname 'copying*' -o -name 'FTL.TXT' -o -name 'qt_attribution.json' \) \
            -exec cp {} "$prefix/licenses/3rdparty/$part/" \;
    done
    rm -rf "$work/build"
    touch "$prefix/.complete"
}
