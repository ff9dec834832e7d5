#!/usr/bin/env bash
# The real program and the real server as processes on a virtual display, driven as a merchant would:
# the login typed, a card read typed into the card-reader window, the approval clicked. Checked from
# the settings written, the day's log and the server's ledger. The screenshots stay in the output
# folder as artefacts.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/desktop.sh
out=$(realpath -m "${DOVRA_E2E_DIR:-build/e2e}")
rm -rf "$out"
mkdir -p "$out"
trap stop_all EXIT
fail() {
    echo "e2e: $*" >&2
    shot "$out/failure.png" || true
    exit 1
}

root="$out/data/Tarnwick"
write_settings "$root"
start_server "$out"
start_display

XDG_DATA_HOME="$out/data" "$DOVRA_BIN/dovra" >"$out/dovra.log" 2>&1 &
DOVRA_PID=$!
login=$(wait_for_window "도브라 승인 시스템") || fail "no login window"
log_in "$login"
xdotool key Return

has_merchant() { grep -q "^Number=000071052301" "$root/Dovra_setting.ini" 2>/dev/null; }
wait_until 15 has_merchant || fail "the login did not save the merchant"
main=$(active_window)
shot "$out/1-main-window.png"
test "$(tr -d '\r' <"$root/Update/UpdateServiceClient.ini" | grep business_number)" = "business_number=1208147521" ||
    fail "business number not passed on"

log="$root/Log/$(date +%Y%m%d).log"
grep -aq "^\[ Send [0-9:]* \] 0200" "$log" || fail "no login request in the log"
grep -aq "^\[ Resp [0-9:]* \] 0309" "$log" || fail "no login answer in the log"
! grep -aq "2580 " "$log" || fail "the authentication number reached the log"

read_card "$main" 9410000012345678 "$out/2-card-reader.png"
grep -aq "^\[ Serc [0-9:]* \] 04500200" "$log" || fail "no card lookup in the log"
shot "$out/3-card-looked-up.png"

click "$main" $PAY
receipt=$(window_over "$main")
shot "$out/4-approved.png"
click "$receipt" $RECEIPT_NO

approved=$(sqlite3 "$out/ledger.db" \
    "SELECT count(*) FROM ledger WHERE kind = 'approval' AND card_no = '9410000012345678' AND amount = 40000")
test "$approved" = 1 || fail "the approval is not in the ledger"
approval=$(answer_field "$log" 136 12)
test "$(sqlite3 "$out/ledger.db" "SELECT approval_no FROM ledger WHERE amount = 40000")" = "$approval" ||
    fail "the approval number shown is not the ledger's"
echo "e2e passed: login, card read and approval $approval; screenshots in $out"
