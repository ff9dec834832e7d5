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
source scripts/lib/wine.sh

wine_walk "wine walkthrough" "$out"
root="$WINEPREFIX/drive_c/Tarnwick"
write_settings "$root"

wine_log_in "$win/dovra.exe" "$out/01-login.png" || fail "no login window or no main window after it"
main=$MAIN_WINDOW
has_merchant() { grep -q "^Number=000071052301" "$root/Dovra_setting.ini" 2>/dev/null; }
has_merchant || fail "the login did not save the merchant"
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
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX" # 700 MB that nothing looks at again
echo "wine walkthrough passed: approval $approval and its cancellation; screenshots and receipt in $out"
