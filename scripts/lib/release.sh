# Shared by scripts/windows: the release's values, from the release file named by DOVRA_RELEASE.
# Without one the build is the demo, and says so in its name and on its pages.
#
# The file holds KEY=VALUE lines (blank lines and # comments aside), each key once, all of them needed
# but the signing ones: installer/release.example.env lists them. It is read, never run.

readonly DOVRA_RELEASE_KEYS=(VERSION SERVER ISSUE_CODE LOOKUP_SERVER PORTAL_HOST TSEED_KEY PUBLISHER SUPPORT_PHONE)
# A certificate to sign with (PKCS#12) and the file holding its password, both or neither; paths are taken
# from the release file's folder. A timestamp server only with them.
readonly DOVRA_RELEASE_SIGN_KEYS=(SIGN_PKCS12 SIGN_PASSWORD_FILE SIGN_TIMESTAMP_URL)
# The build's own: one place each for the demo key and the version a demo takes.
DOVRA_DEMO_KEY=$(sed -n 's/^set(DOVRA_DEMO_KEY "\(.*\)")$/\1/p' cipher/CMakeLists.txt)

# read_release: sets RELEASE_<KEY> for every key (the signing ones empty when not given), RELEASE_DEMO
# (1 or 0) and RELEASE_SUFFIX.
read_release() {
    RELEASE_SIGN_PKCS12= RELEASE_SIGN_PASSWORD_FILE= RELEASE_SIGN_TIMESTAMP_URL=
    if [ -z "${DOVRA_RELEASE:-}" ]; then
        RELEASE_VERSION=$(sed -n 's/^ *set(DOVRA_VERSION "\([0-9.]*\)".*/\1/p' CMakeLists.txt)
        RELEASE_SERVER=127.0.0.1:15024 RELEASE_ISSUE_CODE=0301 RELEASE_LOOKUP_SERVER=127.0.0.1:15025
        RELEASE_PORTAL_HOST=portal.example.com RELEASE_TSEED_KEY=$DOVRA_DEMO_KEY
        RELEASE_PUBLISHER=Tarnwick RELEASE_SUPPORT_PHONE=000-0000-0000
        RELEASE_DEMO=1 RELEASE_SUFFIX=-demo
        echo "release: no DOVRA_RELEASE given; building the demo (demo key, demo server $RELEASE_SERVER)" >&2
        return 0
    fi
    local line key value seen=" "
    while IFS= read -r line || [ -n "$line" ]; do
        line=${line%$'\r'}
        case $line in '' | '#'*) continue ;; esac
        key=${line%%=*}
        value=${line#*=}
        if [ "$key" = "$line" ] || [[ ! " ${DOVRA_RELEASE_KEYS[*]} ${DOVRA_RELEASE_SIGN_KEYS[*]} " =~ \ $key\  ]]; then
            release_refused "'$line' is not one of ${DOVRA_RELEASE_KEYS[*]}"
        fi
        [[ $seen == *" $key "* ]] && release_refused "$key is given twice"
        seen+="$key "
        # What goes into a C string, a CMake cache and an NSIS script stays plain.
        [[ $value =~ ^[A-Za-z0-9\ ._:/+=@\(\)-]*$ ]] || release_refused "$key holds a character it may not: $value"
        printf -v "RELEASE_$key" '%s' "$value"
    done <"$DOVRA_RELEASE"
    for key in "${DOVRA_RELEASE_KEYS[@]}"; do
        [[ $seen == *" $key "* ]] || release_refused "$key is missing"
    done
    [[ $RELEASE_VERSION =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || release_refused "VERSION is not major.minor.patch"
    [[ $RELEASE_SERVER =~ ^[^:]+:[0-9]+$ && $RELEASE_LOOKUP_SERVER =~ ^[^:]+:[0-9]+$ ]] ||
        release_refused "SERVER and LOOKUP_SERVER are host:port"
    [ "$RELEASE_TSEED_KEY" != "$DOVRA_DEMO_KEY" ] || release_refused "it keeps the demo key"
    [ ${#RELEASE_TSEED_KEY} -ge 16 ] || release_refused "TSEED_KEY is shorter than 16 characters"
    if [ -n "$RELEASE_SIGN_PKCS12$RELEASE_SIGN_PASSWORD_FILE" ]; then
        [ -n "$RELEASE_SIGN_PKCS12" ] && [ -n "$RELEASE_SIGN_PASSWORD_FILE" ] ||
            release_refused "SIGN_PKCS12 and SIGN_PASSWORD_FILE go together"
        local folder
        folder=$(dirname "$DOVRA_RELEASE")
        for key in SIGN_PKCS12 SIGN_PASSWORD_FILE; do
            value=RELEASE_$key
            [[ ${!value} == /* ]] || printf -v "$value" '%s' "$folder/${!value}"
            [ -f "${!value}" ] && [ -r "${!value}" ] || release_refused "$key names no readable file: ${!value}"
        done
    fi
    if [ -n "$RELEASE_SIGN_TIMESTAMP_URL" ]; then
        [ -n "$RELEASE_SIGN_PKCS12" ] || release_refused "SIGN_TIMESTAMP_URL without a certificate to sign with"
        [[ $RELEASE_SIGN_TIMESTAMP_URL =~ ^https?://[^\ ]+$ ]] || release_refused "SIGN_TIMESTAMP_URL is not an http(s) address"
    fi
    RELEASE_DEMO=0 RELEASE_SUFFIX=
}

release_refused() {
    echo "release: $DOVRA_RELEASE refused: $*" >&2
    exit 1
}
