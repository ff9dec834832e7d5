#!/usr/bin/env bash
# The installer as a therapy centre's IT person uses it, silently, in a fresh Wine prefix: refused on an
# old Windows and for bad settings with nothing written; a fresh PC configured from the command line; an
# earlier version replaced; a running program left alone; a downgrade refused; settings already there
# kept or, when told, replaced; an uninstall that leaves the merchant's files; and an install folder
# named in Hangul with spaces, from which the program logs in. Each case checks its exit code and what
# it left behind. Everything stays in the output folder.
#   wine-installer.sh SETUP EARLIER_SETUP OUT
#   DOVRA_BIN  the Linux dovra-server and dovra-shot (build/bin)
set -euo pipefail
export LC_ALL=C.UTF-8 # for the Hangul window titles xdotool matches
repo=$(cd "$(dirname "$0")/../.." && pwd)
setup=$(realpath "$1")
earlier=$(realpath "$2")
out=$(realpath -m "$3")
DOVRA_BIN=$(realpath "${DOVRA_BIN:-$repo/build/bin}")
cd "$repo"
source scripts/lib/desktop.sh
source scripts/lib/wine.sh

# The exit codes the README gives IT.
readonly RUNNING=10 NEWER_INSTALLED=11 OLD_WINDOWS=12 BAD_PORT=14 BAD_ISSUE_CODE=15

began=$(date +%s)
wine_walk "installer check" "$out"
drive=$WINEPREFIX/drive_c
root=$drive/Tarnwick
installed="$drive/Program Files/Dovra"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/도브라 승인 시스템"
desktop="$drive/users/Public/Desktop/도브라 승인 시스템.lnk"
startup="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp/도브라 승인 시스템.lnk"
mkdir -p "$drive/setup"
cp "$setup" "$drive/setup/later.exe"
cp "$earlier" "$drive/setup/earlier.exe"
later_version=$(basename "$setup" | sed -n 's/^dovra-setup-\([0-9.]*\)[-.].*/\1/p')

# A Windows command line run as it is written, through a batch file: Wine quotes an argument with a space
# in it, and NSIS then ignores /D= and _?=. Prints the exit code.
windows_line() {
    printf '@%s\r\n@exit /b %%ERRORLEVEL%%\r\n' "$1" | iconv -f UTF-8 -t CP949 >"$drive/setup/line.bat"
    local code=0
    echo "> $1" >>"$out/commands.log"
    on_windows cmd /c 'C:\setup\line.bat' >>"$out/commands.log" 2>&1 || code=$?
    echo "$code"
}
# expect CODE WHAT COMMAND-LINE
expect() {
    local code
    code=$(windows_line "$3")
    [ "$code" = "$1" ] || fail "$2: exit code $code, not $1 ($3)"
    printf 'installer check: %-58s exit %s\n' "$2" "$code"
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dovra'
registered() {
    on_windows reg query "$uninstall_key" /v "$1" /reg:64 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { print $3 }'
}
# Everything an installation or the merchant owns, to compare before and after.
state() {
    (cd "$drive" && { find "Program Files/Dovra" "도브라 승인 시스템" Tarnwick "ProgramData/Microsoft/Windows/Start Menu" \
        users/Public/Desktop -type f -exec sha256sum {} + 2>/dev/null || true; } | sort)
    echo "registered version: $(registered DisplayVersion)"
}
setting() { sed -n "s/^$1=//p" "$root/Dovra_setting.ini" | tr -d '\r'; }
stop_program() {
    "$WINESERVER" -k 2>/dev/null || true
    wait "$DOVRA_PID" 2>/dev/null || true
}

# Debian's Wine passes for Windows 7 unless told otherwise; Qt 6.4 needs Windows 10 1809.
on_windows winecfg -v win7 >/dev/null 2>&1
empty=$(state)
expect $OLD_WINDOWS "Windows 7" 'C:\setup\later.exe /S'
test "$(state)" = "$empty" || fail "the installer changed something on Windows 7"
on_windows winecfg -v win10 >/dev/null 2>&1

expect $BAD_PORT "a port outside 1-65535" 'C:\setup\later.exe /S /SERVER=127.0.0.1:70000 /ISSUE=0301'
expect $BAD_ISSUE_CODE "an issue code that is not four digits" 'C:\setup\later.exe /S /SERVER=localhost:15024 /ISSUE=03a1'
test "$(state)" = "$empty" && test ! -e "$root" || fail "a refused configuration left something behind"

expect 0 "a fresh PC, earlier version" 'C:\setup\earlier.exe /S /SERVER=localhost:15024 /ISSUE=0301'
test "$(setting dovra_Ip):$(setting dovra_Port):$(setting dovra_Issue_code)" = "localhost:15024:0301" ||
    fail "the settings do not hold /SERVER and /ISSUE: $(cat "$root/Dovra_setting.ini")"
test -d "$root/Log" || fail "no log folder for the program"
test -f "$installed/imageformats/qico.dll" || fail "the earlier version lacks the file it alone has"
test -e "$desktop" && test -e "$startup" || fail "no desktop or start-up shortcut by default"
printf '[ComInfo]\r\nNumber=000071052301\r\n' >"$root/Pellum7.ini"

expect 0 "a later version over it" 'C:\setup\later.exe /S'
test ! -e "$installed/imageformats" || fail "the earlier version's own file stayed behind"
test "$(registered DisplayVersion)" = "$later_version" || fail "Add/Remove shows $(registered DisplayVersion)"
reported=$(on_windows "$installed/dovra.exe" --version 2>/dev/null | tr -d '\r')
[[ $reported == "dovra $later_version"* ]] || fail "the program reports '$reported', not $later_version"
test -n "$(registered Publisher)" && test -n "$(registered HelpTelephone)" && test -n "$(registered EstimatedSize)" ||
    fail "Add/Remove lacks the publisher, the support telephone or the size"

wine_log_in "$installed/dovra.exe" || fail "the installed program did not log in"
shot "$out/installed-main-window.png"
running=$(state)
expect $RUNNING "the later version again while the program runs" 'C:\setup\later.exe /S'
expect $RUNNING "uninstalling while the program runs" \
    '"C:\Program Files\Dovra\uninstall.exe" /S _?=C:\Program Files\Dovra'
test "$(state)" = "$running" || fail "something changed while the program ran"
stop_program

expect $NEWER_INSTALLED "the earlier version over the later one" 'C:\setup\earlier.exe /S'
test "$(state)" = "$running" || fail "a refused downgrade changed something"

# The login left the merchant's details beside the server settings.
merchant=$(grep -av '^dovra_' "$root/Dovra_setting.ini")
before=$(sha256sum "$root/Dovra_setting.ini")
expect 0 "settings already there, other values given" 'C:\setup\later.exe /S /SERVER=192.0.2.7:9 /ISSUE=0999'
test "$(sha256sum "$root/Dovra_setting.ini")" = "$before" || fail "the settings already there were changed"
expect 0 "the same with /RECONFIGURE" 'C:\setup\later.exe /S /RECONFIGURE /SERVER=127.0.0.1:15024 /ISSUE=0302'
test "$(setting dovra_Ip):$(setting dovra_Issue_code)" = "127.0.0.1:0302" || fail "/RECONFIGURE did not replace them"
test "$(grep -av '^dovra_' "$root/Dovra_setting.ini")" = "$merchant" || fail "/RECONFIGURE touched the merchant"
printf 'installer check: %-58s kept, then replaced\n' "the server settings"

settings() { (cd "$root" && find . -type f -exec sha256sum {} + | sort); }
before=$(settings)
on_windows "$installed/uninstall.exe" /S
"$WINESERVER" -w
test ! -e "$installed" && test ! -e "$menu" && test ! -e "$desktop" && test ! -e "$startup" ||
    fail "the uninstaller left the program, its menu or a shortcut behind"
test -z "$(registered DisplayVersion)" || fail "the uninstaller left the Add/Remove entry"
test "$(settings)" = "$before" || fail "the uninstaller touched the merchant's settings"
printf 'installer check: %-58s exit 0\n' "uninstalled; the merchant's files as they were"

expect 0 "a folder named in Hangul, without shortcuts" \
    'C:\setup\later.exe /S /RECONFIGURE /SERVER=127.0.0.1:15024 /ISSUE=0301 /NODESKTOP /NOAUTOSTART /D=C:\도브라 승인 시스템'
test ! -e "$desktop" && test ! -e "$startup" && test -e "$menu/로그 폴더 열기.lnk" ||
    fail "/NODESKTOP or /NOAUTOSTART was not followed, or the menu lacks the log folder"
wine_log_in "$drive/도브라 승인 시스템/dovra.exe" || fail "the program did not log in from C:\\도브라 승인 시스템"
shot "$out/hangul-folder-main-window.png"
stop_program
echo "installer check passed in $(($(date +%s) - began)) s; screenshots in $out"
