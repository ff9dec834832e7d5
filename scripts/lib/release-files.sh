# Shared by scripts/windows and scripts/bench-startup: the files as the installer packs them, what they
# say they are, read back from the files themselves, and their Authenticode signatures. Run as a program,
# it signs one file in place (makensis calls it so for the installer and the uninstaller):
#   release-files.sh PKCS12 PASSWORD_FILE TIMESTAMP_URL|- FILE

# stage_program BUILD STAGE: what the install step leaves, stripped, as the installer packs it. Stripping
# writes a time into each file's header: SOURCE_DATE_EPOCH's where set.
stage_program() {
    rm -rf "$2"
    cmake --install "$1" --prefix "$2" --strip >/dev/null
    find "$2" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
}

# version_string FILE KEY: the value of KEY in FILE's version resource. A resource's strings are UTF-16
# with each key and value ending in a NUL, so once the NULs are line ends, a value is the line after its key.
version_string() {
    wrestool -x --raw -t 16 "$1" 2>/dev/null | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n' | grep -av '^$' |
        awk -v key="$2" 'found { print; exit } substr($0, length($0) - length(key) + 1) == key { found = 1 }'
}

dll_imports() {
    x86_64-w64-mingw32-objdump -p "$1" 2>/dev/null | sed -n 's/^\tDLL Name: //p'
}

# stage_fault TEXT: one fault of check_stage, which counts them in its own "faults".
stage_fault() {
    echo "stage check: $*" >&2
    faults=$((faults + 1))
}

# check_stage STAGE VERSION PRODUCT PUBLISHER: the staged program, cipher library and settings tool carry
# the version resource the build meant, the program its manifest, and build-info.txt names the version.
check_stage() {
    local stage=$1 version=$2 product=$3 publisher=$4 file key want got manifest faults=0
    for file in dovra.exe TSeed.dll dovra-settings.exe; do
        for key in FileVersion ProductVersion ProductName CompanyName; do
            case $key in
                *Version) want=$version ;;
                ProductName) want=$product ;;
                CompanyName) want=$publisher ;;
            esac
            got=$(version_string "$stage/$file" "$key")
            [ "$got" = "$want" ] || stage_fault "$file's $key is '$got', not '$want'"
        done
        [ -n "$(version_string "$stage/$file" FileDescription)" ] || stage_fault "$file has no FileDescription"
    done
    # One manifest, or Windows takes whichever it finds first.
    [ "$(wrestool -l -t 24 "$stage/dovra.exe" | wc -l)" = 1 ] ||
        stage_fault "dovra.exe holds $(wrestool -l -t 24 "$stage/dovra.exe" | wc -l) manifests, not 1"
    manifest=$(wrestool -x --raw -t 24 -n 1 "$stage/dovra.exe" 2>/dev/null || true)
    for want in '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' '>PerMonitorV2' '>true/pm<' 'level="asInvoker"' \
        'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'; do
        [[ $manifest == *"$want"* ]] || stage_fault "dovra.exe's manifest lacks $want"
    done
    [[ $manifest != *"<activeCodePage"* ]] ||
        stage_fault "dovra.exe's manifest sets an activeCodePage; the program's CP949 is its own"
    grep -q "^version: $version"$'\r'"\$" "$stage/build-info.txt" 2>/dev/null ||
        stage_fault "build-info.txt is missing or does not name version $version"
    local texts=0 text
    while read -r text; do
        texts=$((texts + 1))
        [ -f "$stage/${text//\\//}" ] || stage_fault "THIRD-PARTY.txt names $text, which is not in the program folder"
    done < <(sed -n 's/^  texts: //p' "$stage/THIRD-PARTY.txt" 2>/dev/null | tr -d '\r' | tr ' ' '\n' | sort -u)
    [ "$texts" -gt 0 ] || stage_fault "THIRD-PARTY.txt is missing or names no licence text"
    # The LGPL'd cipher libraries stay replaceable: each is a DLL of its own, loaded from beside TSeed.dll.
    local user library
    while read -r user library; do
        [ -f "$stage/$library" ] && dll_imports "$stage/$user" | grep -qx "$library" ||
            stage_fault "$user does not load $library from the program folder"
    done <<<"TSeed.dll libgcrypt-20.dll
libgcrypt-20.dll libgpg-error-0.dll"
    # A folder of the machine that built a file makes two builds of one commit differ, and tells
    # nobody anything: neither this build's folders nor any other's.
    if grep -rlaE -e "$PWD" -e '/(tmp|root|home)/[^/ ]+/' --include='*.dll' --include='*.exe' "$stage" >&2; then
        stage_fault "the files above name a folder of the machine that built them"
    fi
    [ "$faults" = 0 ] || return 1
    echo "stage check: dovra.exe, TSeed.dll and dovra-settings.exe are $version of '$product' by $publisher; manifest, build-info.txt and the $texts licence texts THIRD-PARTY.txt names in place; libgcrypt and libgpg-error beside TSeed.dll"
}

# sign_file PKCS12 PASSWORD_FILE TIMESTAMP_URL|- FILE: signs FILE in place, SHA-256, timestamped when a
# server is named (a signature without a timestamp ends with its certificate).
sign_file() {
    local pkcs12=$1 password=$2 timestamp=$3 file=$4 stamp=()
    [ "$timestamp" = - ] || stamp=(-t "$timestamp")
    osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password" -h sha256 -n "도브라 승인 시스템" \
        "${stamp[@]}" -in "$file" -out "$file.signed" >/dev/null || {
        rm -f "$file.signed"
        echo "signing: $file could not be signed" >&2
        return 1
    }
    mv "$file.signed" "$file"
}

# signing_command PKCS12 PASSWORD_FILE TIMESTAMP_URL|-: what makensis runs on the installer and the
# uninstaller it writes, the file's name in place of %1.
signing_command() {
    printf 'bash %q %q %q %q' "$(realpath scripts/lib/release-files.sh)" "$(realpath "$1")" "$(realpath "$2")" "$3"
}

# signer FILE CERTIFICATE: the subject of FILE's signer when the signature holds against CERTIFICATE.
signer() {
    osslsigncode verify -CAfile "$2" -in "$1" 2>&1 | tee "$1.verify.txt" | grep -q '^Signature verification: ok' || return 1
    sed -n 's/^[[:space:]]*Subject: //p' "$1.verify.txt" | head -1
}

# signing_check STAGE ICON VERSION DIR: the release's signing, tried on copies with a certificate made on the
# spot, as a demo build is never signed: the program and the cipher library signed, an installer made
# signed from them, and the uninstaller that installer writes (installed silently into a Wine prefix of its
# own) each name the certificate's subject as their signer. Everything stays in DIR.
signing_check() {
    local stage=$1 icon=$2 version=$3 dir=$4 file subject faults=0
    local name="Dovra signing check $$"
    rm -rf "$dir" && mkdir -p "$dir"
    dir=$(realpath "$dir")
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=$name" -addext extendedKeyUsage=codeSigning \
        -keyout "$dir/key.pem" -out "$dir/certificate.pem" 2>/dev/null
    openssl rand -hex 16 >"$dir/password"
    openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/certificate.pem" -passout "file:$dir/password" \
        -out "$dir/signing.p12"
    rm "$dir/key.pem"
    # The files signed and the one the installer runs: packing all of Qt again would only cost time.
    mkdir "$dir/stage"
    cp "$stage/dovra.exe" "$stage/TSeed.dll" "$stage/dovra-settings.exe" "$dir/stage/"
    for file in dovra.exe TSeed.dll; do
        sign_file "$dir/signing.p12" "$dir/password" - "$dir/stage/$file"
    done
    INSTALLER_SIGN=$(signing_command "$dir/signing.p12" "$dir/password" -) \
        make_installer "$dir/stage" "$icon" "$dir/dovra-setup-signed.exe" "$version"
    (
        export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
        wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
        "$wine" wineboot -i >/dev/null 2>&1
        # Wine passes for Windows 7 unless told otherwise, which the installer refuses.
        "$wine" winecfg -v win10 >/dev/null 2>&1
        "$wine" "$dir/dovra-setup-signed.exe" /S '/D=C:\signed' >/dev/null 2>&1
        "$(command -v wineserver || echo "$(dirname "$wine")/wineserver")" -k 2>/dev/null || true
    ) || true
    cp "$dir/wineprefix/drive_c/signed/uninstall.exe" "$dir/" 2>/dev/null || true
    rm -rf "$dir/wineprefix" "$dir/signing.p12" "$dir/password"
    for file in stage/dovra.exe stage/TSeed.dll dovra-setup-signed.exe uninstall.exe; do
        if [ ! -f "$dir/$file" ]; then
            echo "signing check: $file was not made" >&2
            faults=$((faults + 1))
        elif subject=$(signer "$dir/$file" "$dir/certificate.pem") && [[ $subject == *"CN=$name"* ]]; then
            echo "signing check: $file signed by $subject"
        else
            echo "signing check: $file does not name $name as its signer (see $dir/$file.verify.txt)" >&2
            faults=$((faults + 1))
        fi
    done
    [ "$faults" = 0 ]
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    sign_file "$@"
fi
