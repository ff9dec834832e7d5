# Shared by scripts/demo and the real-window test: a seeded reference server, a settings root of its
# own, a virtual display with a window manager and a tray, and screenshots.

DOVRA_BIN=${DOVRA_BIN:-build/bin}

# start_server DIR: starts dovra-server on the demo ports with a fresh seeded ledger in DIR.
start_server() {
    local dir=$1
    rm -f "$dir/ledger.db" "$dir/ledger.db-wal" "$dir/ledger.db-shm"
    "$DOVRA_BIN/dovra-server" --db "$dir/ledger.db" --seed-demo \
        --listen 127.0.0.1:15024 --lookup-listen 127.0.0.1:15025 >"$dir/server.log" 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 1 100); do
        if grep -q '^listening' "$dir/server.log"; then
            return 0
        fi
        if ! kill -0 "$SERVER_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "dovra-server did not start:" >&2
    cat "$dir/server.log" >&2
    return 1
}

# write_settings ROOT: the settings an installer would leave for the demo merchant.
write_settings() {
    local root=$1
    mkdir -p "$root"
    printf '[PellumInfo]\r\ndovra_Ip=127.0.0.1\r\ndovra_Port=15024\r\ndovra_Issue_code=0301\r\n' >"$root/Dovra_setting.ini"
    printf '[ComInfo]\r\nNumber=000071052301\r\n' >"$root/Pellum7.ini"
}

# start_display: a virtual X display with a window manager whose task bar holds a tray.
start_display() {
    local n
    for n in $(seq 90 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            break
        fi
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    icewm >/dev/null 2>&1 &
    WM_PID=$!
    sleep 1
}

# wait_for_window NAME [SECONDS]: prints the id of a visible window whose title matches NAME.
wait_for_window() {
    local name=$1 seconds=${2:-15} id
    for _ in $(seq 1 $((seconds * 10))); do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | tail -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds.
wait_until() {
    local seconds=$1
    shift
    for _ in $(seq 1 $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

shot() {
    "$DOVRA_BIN/dovra-shot" "$1"
}

stop_all() {
    local pid
    for pid in ${DOVRA_PID:-} ${SERVER_PID:-} ${WM_PID:-} ${XVFB_PID:-}; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}

# click WINDOW X Y: a left click at a point of the window's client area, in pixels.
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.4
}

# The window that has the keyboard now, once a new one has had time to come up.
active_window() {
    sleep 0.8
    xdotool getactivewindow
}

# window_over MAIN: waits until another window has taken the keyboard from MAIN and prints it.
window_over() {
    local main=$1 id
    for _ in $(seq 1 100); do
        id=$(xdotool getactivewindow 2>/dev/null || true)
        if [ -n "$id" ] && [ "$id" != "$main" ]; then
            sleep 0.3
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# log_in WINDOW: types the demo merchant's numbers into the login window and presses Enter.
log_in() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool type --delay 40 "1208147521"
    xdotool key Tab
    xdotool type --delay 40 "2580"
}

# Points of the main window's controls (client pixels: the twip positions divided by 15, plus half the
# control's size).
readonly OPTION1="216 124" OPTION2="304 124" OPTION3="384 124"
readonly CARD_READER="247 163" MANUAL_ENTRY="350 163" CHANGE_AMOUNT="378 323" REASONS="475 358"
readonly ORG_APPROVAL_NO="254 430" ORG_AUTH_DATE="254 469" PAY="686 507"
# ... and of the 340 x 140 windows.
readonly RECEIPT_YES="116 92" RECEIPT_NO="224 92" MANUAL_OK="116 107"

# read_card MAIN CARD [SHOT]: opens the card-reader window (a screenshot of it in SHOT) and types the
# card as a reader does: the digits, "=", more track characters, Enter. Returns when the answer has
# closed the window.
read_card() {
    click "$1" $CARD_READER
    local reader
    reader=$(window_over "$1")
    if [ -n "${3:-}" ]; then
        shot "$3"
    fi
    xdotool type --delay 20 "$2=2812"
    xdotool key Return
    wait_until 10 window_gone "$reader"
    sleep 0.5
}

window_gone() {
    ! xdotool getwindowgeometry "$1" >/dev/null 2>&1 || ! xwininfo -id "$1" 2>/dev/null | grep -q "IsViewable"
}

# The fields of the last transaction answer in the day's log, by their byte positions.
answer_field() {
    local log=$1 from=$2 width=$3
    grep -a '^\[ Resp [0-9:]* \] 0450' "$log" | tail -n 1 | LC_ALL=C cut -b "$((18 + from))-$((17 + from + width))"
}
