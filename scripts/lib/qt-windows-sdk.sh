# Shared by scripts/windows: the Qt 6.4.2 SDK for 64-bit Windows the cross build links against.
# It is Debian's own qt6-base source package with Debian's patch series (the security fixes among them)
# applied, built with the MinGW-w64 GCC: 72 processor-minutes. The team's prebuilt copy beside
# the repository is used only when its stamp says it was built exactly so; otherwise the SDK is built
# once into a cache folder outside every build tree.

DOVRA_QT_VERSION=6.4.2
DOVRA_QT_DEBIAN_VERSION=6.4.2+dfsg-10

# Debian's series for that version, in its order. Every patch applies to the Windows build; those that
# change only what a Windows build never compiles (the Unix DNS lookup, the ODBC driver, ARM and other
# processors' detection, the documentation's scripts, the zstd and cross-build CMake logic, which this
# build turns off) are applied all the same, so that the tree is the one Debian builds and a later
# series can be compared with it line by line.
DOVRA_QT_PATCHES=(
    cve-2023-32762.diff
    cve-2023-32763.diff
    cve-2023-33285.diff
    upstream_Add-HPPA-detection.patch
    upstream_Add-M68k-detection.patch
    cve-2023-24607.patch
    remove_privacy_breaches.diff
    build_path_embedded_qtbuildinternalsextra_cmake.patch
    cross.patch
    force_shared_libzstd.patch
    armel-noyield.patch
)

# qt_sdk_stamp: what an SDK built by this script says of itself. The recipe line changes with any change
# to the build's commands or options, so that an SDK built before such a change is not taken for one
# built after it.
qt_sdk_stamp() {
    local recipe
    recipe=$( (
        declare -f build_qt_windows_sdk
        cat cmake/mingw64-toolchain.cmake
    ) | sha256sum | cut -c1-16)
    echo "qt6-base $DOVRA_QT_DEBIAN_VERSION"
    echo "patches applied: ${DOVRA_QT_PATCHES[*]}"
    echo "patches left out: none"
    echo "recipe: $recipe"
}

# qt_windows_sdk: prints the SDK's folder, building it first when there is none that matches.
qt_windows_sdk() {
    local shared=../shared/sdk/qt$DOVRA_QT_VERSION-mingw64
    local cache=${DOVRA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dovra}/qt$DOVRA_QT_VERSION-mingw64
    local stamp
    stamp=$(qt_sdk_stamp)
    if [ -n "${DOVRA_QT_SDK:-}" ]; then
        echo "$DOVRA_QT_SDK"
    elif [ "$(cat "$shared/dovra-sdk-stamp.txt" 2>/dev/null)" = "$stamp" ]; then
        realpath "$shared"
    else
        if [ "$(cat "$cache/dovra-sdk-stamp.txt" 2>/dev/null)" != "$stamp" ]; then
            echo "windows: building the Qt SDK for Windows into $cache (no SDK with the stamp this script builds)" >&2
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
    local file ours=/etc/apt/sources.list.d/dovra-qt-source.sources
    # Written beside, then moved: the loop must not read its own half-written output.
    {
        for file in /etc/apt/sources.list.d/*.sources; do
            [ -f "$file" ] && [ "$file" != "$ours" ] &&
                sed -n '/^Types:/,/^$/p' "$file" | sed 's/^Types:.*/Types: deb-src/'
            echo
        done
    } >"$ours.new"
    mv "$ours.new" "$ours"
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >/etc/apt/sources.list.d/dovra-qt-source.list
    fi
    DEBIAN_FRONTEND=noninteractive apt-get update
}

# build_qt_windows_sdk PREFIX: QtCore, QtGui, QtWidgets, QtNetwork, QtPrintSupport and QtTest as DLLs
# built with the MinGW-w64 GCC (posix threads), with the windows and offscreen platforms.
build_qt_windows_sdk() {
    local prefix=$1 work src patch
    work="$(dirname "$prefix")/qt-work"
    src=$work/qt6-base-$DOVRA_QT_DEBIAN_VERSION
    ensure_packages ninja-build cmake xz-utils dpkg-dev patch qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix
    ensure_qt_source
    mkdir -p "$work"
    (
        cd "$work"
        [ -f "qt6-base_$DOVRA_QT_DEBIAN_VERSION.dsc" ] || apt-get source --download-only "qt6-base=$DOVRA_QT_DEBIAN_VERSION"
        rm -rf "$src"
        dpkg-source --skip-patches -x "qt6-base_$DOVRA_QT_DEBIAN_VERSION.dsc" "$src"
    )
    # A series that is not the one listed above is a different source: stop rather than guess.
    if [ "$(grep -v -e '^#' -e '^$' "$src/debian/patches/series" | tr '\n' ' ')" != "${DOVRA_QT_PATCHES[*]} " ]; then
        echo "windows: Debian's patch series for qt6-base is not the one this script knows" >&2
        return 1
    fi
    for patch in "${DOVRA_QT_PATCHES[@]}"; do
        patch -d "$src" -p1 --forward --batch --quiet <"$src/debian/patches/$patch"
    done
    # direct2d must stay on: without it QtGui lacks the DirectWrite font engine that QtPrintSupport
    # still calls (a link error in 6.4.2). The prefix maps keep the folders of this machine out of
    # the DLLs (file names in Qt's messages and asserts).
    local maps="-ffile-prefix-map=$src=qtbase -ffile-prefix-map=$work/build=qtbase-build"
    rm -rf "$work/build" "$prefix"
    cmake -G Ninja -S "$src" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw64-toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DCMAKE_C_FLAGS="$maps" -DCMAKE_CXX_FLAGS="$maps" \
        -DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp -DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp \
        -DCMAKE_MODULE_LINKER_FLAGS=-Wl,--no-insert-timestamp \
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
    cp "$src/LICENSES/"*.txt "$prefix/licenses/"
    # Every part of src/3rdparty that these modules compile in, with its attribution, the licence files
    # that attribution names, and FreeType's own licence, which its LICENSE.txt only points to.
    local part licence
    for part in blake2 double-conversion easing freetype harfbuzz-ng icc libpng libpsl md4 md4c md5 pcre2 \
        rfc6234 sha1 sha3 tinycbor zlib; do
        mkdir -p "$prefix/licenses/3rdparty/$part"
        cp "$src/src/3rdparty/$part/qt_attribution.json" "$prefix/licenses/3rdparty/$part/"
        for licence in $(sed -n 's/.*"LicenseFile": *"\([^"]*\)".*/\1/p' "$src/src/3rdparty/$part/qt_attribution.json"); do
            cp "$src/src/3rdparty/$part/$licence" "$prefix/licenses/3rdparty/$part/"
        done
    done
    cp "$src/src/3rdparty/freetype/docs/FTL.TXT" "$prefix/licenses/3rdparty/freetype/"
    cp "$src/debian/copyright" "$prefix/licenses/debian-copyright"
    rm -rf "$work/build"
    qt_sdk_stamp >"$prefix/dovra-sdk-stamp.txt"
}
