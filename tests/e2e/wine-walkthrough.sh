#!/usr/bin/env bash
# The Windows build under Wine, in real windows on a virtual display, driven as approval.sh drives the
# Linux one: login, a card read, an approval and its cancellation, each answered receipt question
# screenshotted; then the receipt drawn to PDF by the Windows receipt tool. Checked from the day's log,
# the server's ledger and the PDF's text and fonts. Everything stays in the output folder.
#   DOVRA_WIN_BIN  the Windows programs (build-windows/bin)
#   DOVRA_BIN      the Linux dovra-server and dovra-shot (build/bin)
#   DOVRA_WALK_DIR the output folder (build-windows/walkthrough)
# shellcheck disable=SC2086 # the control points are "X Y" pairs, split into two arguments on purpose
set -euo pipefail
export LC_ALL=C.UTF-8 # for the Hangul window titles xdotool matches
repo=$(cd "$(dirname "$0")/../.." && pwd)
win=$(realpath "${DOVRA_WIN_BIN:-$repo/build-windows/bin}")
out=$(realpath -m "${DOVRA_WALK_DIR:-$repo/build-windows/walkthrough}")
DOVRA_BIN=$(realpath "${DOVRA_BIN:-$repo/build/bin}")
cd "$repo"
source scripts/lib/desktop.sh
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo "$(dirname "$wine")/wineserver")

rm -rf "$out"
mkdir -p "$out" && mkdir -m 700 "$out/runtime"
export XDG_RUNTIME_DIR="$out/runtime" # dovra-shot warns on every screenshot without one
# No Mono or Gecko download prompts: the program needs neither.
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    stop_all
    "$wineserver" -k 2>/dev/null || true
}
trap cleanup EXIT
# Windows brings no Korean fonts of ours: the host's Nanum and D2Coding stay hidden from Wine, so only the
# fonts the program ships and loads itself can draw its Hangul. DejaVu stands in for Windows' own fonts.
mkdir -p "$out/fontconfig"
cat >"$out/fontconfig/fonts.conf" <<CONF
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <cachedir>$out/fontconfig</cachedir>
</fontconfig>
CONF
export FONTCONFIG_FILE="$out/fontconfig/fonts.conf"
# The merchant's Windows is a Korean one (code page 949, a Korean calendar). Wine takes it from the
# host's locale, which needs to exist for the window titles to reach X as UTF-8; made here, as hosts
# seldom have it. Without it the walk goes on in English.
locale=C.UTF-8
mkdir -p "$out/locale"
if localedef -i ko_KR -f UTF-8 "$out/locale/ko_KR.UTF-8" >/dev/null 2>&1; then
    locale=ko_KR.UTF-8
fi
on_windows() { LOCPATH="$out/locale" LC_ALL=$locale "$wine" "$@"; }
fail() {
    echo "wine walkthrough: $*" >&2
    shot "$out/failure.png" || true
    exit 1
}

start_server "$out"
start_display
on_windows wineboot -i >"$out/wineboot.log" 2>&1 || fail "the Wine prefix could not be made"
root="$WINEPREFIX/drive_c/Tarnwick"
write_settings "$root"

# Wine's windows do not take the keyboard from icewm when they appear, nor when the program asks for
# it; the X focus set directly is taken as the merchant's own click.
wine_windows() { xdotool search --onlyvisible --classname dovra.exe 2>/dev/null; }
focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    sleep 0.3
}
# icewm can put a Wine window elsewhere than Wine asked without telling it, and Wine then lands every
# click off by the difference; a move that icewm carries out itself brings the two together again.
settle() {
    xdotool windowmove "$1" 0 0
    sleep 0.3
    xdotool windowmove "$1" "$2" "$3"
    sleep 0.5
}
# After a window of its own closes, Wine gives the keyboard back to the main window in its own time; a
# click that comes first loses its focus to the control that had it before.
back_to() {
    has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
    wait_until 5 has_focus "$1" || xdotool windowfocus --sync "$1" 2>/dev/null || true
    sleep 0.3
}
# In place of desktop.sh's, for read_card too: the new window is found among the program's own.
window_over() {
    local main=$1 id
    for _ in $(seq 1 150); do
        id=$(wine_windows | grep -vx "$main" | tail -n 1 || true)
        if [ -n "$id" ]; then
            focus "$id"
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

on_windows "$win/dovra.exe" >"$out/dovra.log" 2>&1 &
DOVRA_PID=$!
login=$(wait_for_window "도브라 승인 시스템" 60) || fail "no login window"
focus "$login"
log_in "$login"
shot "$out/01-login.png"
xdotool key Return
has_merchant() { grep -q "^Number=000071052301" "$root/Dovra_setting.ini" 2>/dev/null; }
wait_until 20 has_merchant || fail "the login did not save the merchant"
main_shown() { wine_windows | grep -vx "$login" | grep .; }
main=$(wait_until 20 main_shown | tail -n 1) || fail "no main window"
settle "$main" 4 23
focus "$main"
shot "$out/02-main-window.png"

log="$root/Log/$(date +%Y%m%d).log"
read_card "$main" 9410000012345678 "$out/03-card-reader.png"
back_to "$main"
shot "$out/04-card-looked-up.png"
click "$main" $PAY
receipt=$(window_over "$main") || fail "no receipt question after the approval"
shot "$out/05-approved.png"
approval=$(answer_field "$log" 136 12)
when=$(answer_field "$log" 56 8)
time=$(answer_field "$log" 64 6)
remain=$(answer_field "$log" 186 9)
click "$receipt" $RECEIPT_NO
wait_until 10 window_gone "$receipt" || fail "the receipt question stayed"
back_to "$main"

click "$main" $OPTION2
read_card "$main" 9410000012345678
back_to "$main"
click "$main" $ORG_APPROVAL_NO
xdotool type --delay 30 "$approval"
click "$main" $ORG_AUTH_DATE
xdotool type --delay 30 "$when"
shot "$out/06-cancellation.png"
click "$main" $PAY
receipt=$(window_over "$main") || fail "no receipt question after the cancellation"
shot "$out/07-cancelled.png"
click "$receipt" $RECEIPT_NO
wait_until 10 window_gone "$receipt" || fail "the receipt question stayed"
back_to "$main"
shot "$out/08-done.png"

ledger() { sqlite3 "$out/ledger.db" "$1"; }
test "$(ledger "SELECT approval_no FROM ledger WHERE kind = 'approval' AND amount = 40000
                AND card_no = '9410000012345678'")" = "$approval" || fail "the approval is not the ledger's"
test "$(ledger "SELECT count(*) FROM ledger c JOIN ledger a ON c.cancels = a.id
                WHERE c.kind = 'cancellation' AND a.approval_no = '$approval'")" = 1 ||
    fail "the approval was not cancelled in the ledger"
grep -aq "^\[ Resp [0-9:]* \] 04500600" "$log" || fail "no cancellation answer in the log"

# The approval's receipt as the Windows receipt tool draws it, with the settings the login left.
pdf="$out/receipt.pdf"
WINEQT_QPA_PLATFORM=offscreen on_windows "$win/dovra-receipt.exe" --root 'C:\Tarnwick' --out "Z:${pdf//\//\\}" \
    --kind "카드 승인" --card 9410000012345678 --when "$when  $((10#${time:0:2})):${time:2:2}:${time:4:2}" \
    --approval "$approval" --amount 40000 --remain "$remain" --item "언어치료" --teacher "이수진" \
    >"$out/receipt.log" 2>&1 || fail "the receipt tool failed: $(cat "$out/receipt.log")"
# Without a font of its own Qt draws the receipt as black bars, and its text then reads back empty.
pdffonts "$pdf" | grep -q D2Coding || fail "the receipt is not in D2Coding: $(pdffonts "$pdf" 2>&1)"
text=$(pdftotext -layout "$pdf" -)
for expected in "( 고 객 용 )" "( 가맹점용 )" "새싹아동발달센터" "언어치료" "$approval"; do
    grep -qF "$expected" <<<"$text" || fail "the receipt lacks \"$expected\""
done
test "$(grep -cF "9410-0000-****-5678" <<<"$text")" = 2 || fail "the receipt lacks the masked card twice"
pdftoppm -png -r 100 -f 1 -l 1 -singlefile "$pdf" "$out/receipt"
"$wineserver" -k 2>/dev/null || true
rm -rf "$WINEPREFIX" # 700 MB that nothing looks at again
echo "wine walkthrough passed: approval $approval and its cancellation; screenshots and receipt in $out"
