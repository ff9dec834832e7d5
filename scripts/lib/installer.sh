# Shared by scripts/windows: the NSIS installer made from an install step's folder.

# installer_files STAGE: an NSIS macro INSTALL_FILES LIST that installs every file of STAGE and writes
# each one's path into the open file LIST, folders after what they hold, deepest first: the list the
# uninstaller removes, made from what is installed rather than kept by hand.
installer_files() {
    local stage=$1 path folder current=none
    echo '!macro INSTALL_FILES LIST'
    while IFS= read -r path; do
        [[ $path =~ ^[A-Za-z0-9@._/+-]+$ ]] || {
            echo "installer: a file name the installer script cannot carry: $path" >&2
            return 1
        }
        folder=$(dirname "$path")
        if [ "$folder" != "$current" ]; then
            current=$folder
            [ "$folder" = . ] && folder= || folder="\\${folder//\//\\}"
            echo "    SetOutPath \"\$INSTDIR$folder\""
        fi
        echo "    File \"$stage/$path\""
        echo "    FileWrite \${LIST} \"${path//\//\\}\$\\r\$\\n\""
    done < <(cd "$stage" && find . -type f -printf '%P\n' | sort)
    echo '    SetOutPath "$INSTDIR"'
    while IFS= read -r path; do
        echo "    FileWrite \${LIST} \"${path//\//\\}\\\$\\r\$\\n\""
    done < <(cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | sort -r)
    echo '!macroend'
}

# make_installer STAGE ICON OUTFILE VERSION [BUILD]: makes the installer with the release's values (read_release),
# signed with its uninstaller when INSTALLER_SIGN holds a command that signs the file it is given, and
# packed quickly rather than small when INSTALLER_QUICK is set, for an installer made only for a check.
make_installer() {
    local stage=$1 icon=$2 outfile=$3 version=$4 build=${5:-0} files
    files=$(mktemp --suffix=.nsh)
    installer_files "$stage" >"$files"
    local defines=()
    [ "$RELEASE_DEMO" = 1 ] && defines+=(-DDEMO)
    [ -n "${INSTALLER_SIGN:-}" ] && defines+=(-DSIGN="$INSTALLER_SIGN")
    [ -n "${INSTALLER_QUICK:-}" ] && defines+=(-DQUICK)
    makensis -V2 -DVERSION="$version" -DBUILD="$build" -DSTAGE="$stage" -DFILES="$files" -DICON="$icon" -DOUTFILE="$outfile" \
        -DSERVER_HOST="${RELEASE_SERVER%:*}" -DSERVER_PORT="${RELEASE_SERVER##*:}" -DISSUE_CODE="$RELEASE_ISSUE_CODE" \
        -DPUBLISHER="$RELEASE_PUBLISHER" -DSUPPORT_PHONE="$RELEASE_SUPPORT_PHONE" "${defines[@]}" installer/dovra.nsi
    rm -f "$files"
}
