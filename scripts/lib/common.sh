# Shared by scripts/test and scripts/demo: Debian packages and the build.

# Debian 12 packages the build, the tests and the demo need: the tool chain, the libraries, the
# fonts of the windows and the receipt, a virtual display with a window manager for the
# real-window runs, and X's own libraries for the tool that times the start (scripts/bench-startup).
DOVRA_PACKAGES=(
    cmake g++ make pkg-config
    libgcrypt20-dev zlib1g-dev libsqlite3-dev libfontconfig-dev
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins
    libgtest-dev libbenchmark-dev
    fonts-nanum fonts-naver-d2coding
    xvfb xauth x11-utils xdotool icewm poppler-utils sqlite3 libx11-dev libxdamage-dev
    g++-mingw-w64-x86-64-posix wine64
)

# And for the Windows build: the cipher's libraries built for Windows, the host Qt tools the cross
# build runs, the installer's maker, and what reads the shipped files' resources and signs them.
DOVRA_WINDOWS_PACKAGES=(
    libgcrypt-mingw-w64-dev libz-mingw-w64-dev qt6-base-dev-tools nsis icoutils osslsigncode openssl
)

# Installs what is missing when run as root; otherwise prints the one line that would.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        DEBIAN_FRONTEND=noninteractive apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    else
        echo "These Debian packages are missing. Install them with:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
}

# Configures and builds into $1 with the remaining arguments passed to CMake.
build_into() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@"
    cmake --build "$dir" -j"$(nproc)"
}
