# Shared by the walks of the Windows build under Wine (tests/e2e/wine-*.sh), after desktop.sh: a Windows
# of its own in a prefix, Korean as a merchant's is, and the ways Wine's windows are found and focused
# under icewm.

WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo "$(dirname "$WINE")/wineserver")

# wine_setup OUT PREFIX: the environment for a prefix at PREFIX, with its helpers' files in OUT.
wine_setup() {
    local out=$1
    WINE_OUT=$out
    mkdir -p "$out" && mkdir -p -m 700 "$out/runtime"
    export XDG_RUNTIME_DIR="$out/runtime" # dovra-shot warns on every screenshot without one
    # No Mono or Gecko download prompts: the program needs neither.
    export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # Windows brings no Korean fonts of ours: the host's Nanum and D2Coding stay hidden from Wine, so only
    # the fonts the program ships and loads itself can draw its Hangul. DejaVu stands in for Windows' own.
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
    WINE_LOCALE_DIR=$out/locale WINE_LOCALE=C.UTF-8
    mkdir -p "$WINE_LOCALE_DIR"
    if localedef -i ko_KR -f UTF-8 "$WINE_LOCALE_DIR/ko_KR.UTF-8" >/dev/null 2>&1; then
        WINE_LOCALE=ko_KR.UTF-8
    fi
}

# wine_walk NAME OUT: a walk named NAME with everything in OUT, emptied first: the prefix, the reference
# server with its demo data and a virtual display, all stopped when the walk ends; fail says why it did.
wine_walk() {
    WINE_WALK=$1
    rm -rf "$2"
    wine_setup "$2" "$2/wineprefix"
    trap 'stop_all; "$WINESERVER" -k 2>/dev/null || true' EXIT
    start_server "$2"
    start_display
    on_windows wineboot -i >"$2/wineboot.log" 2>&1 || fail "the Wine prefix could not be made"
}
fail() {
    echo "$WINE_WALK: $*" >&2
    shot "$WINE_OUT/failure.png" 2>/dev/null || true
    exit 1
}

on_windows() { LOCPATH="$WINE_LOCALE_DIR" LC_ALL=$WINE_LOCALE "$WINE" "$@"; }

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

# wine_log_in PROGRAM [SHOT]: starts the Windows program, types the demo merchant's numbers at its login
# window (a screenshot in SHOT before they are sent) and sets MAIN_WINDOW once the main window shows.
wine_log_in() {
    local login
    on_windows "$1" >>"$WINE_OUT/dovra.log" 2>&1 &
    DOVRA_PID=$!
    login=$(wait_for_window "도브라 승인 시스템" 60) || return 1
    focus "$login"
    log_in "$login"
    [ -z "${2:-}" ] || shot "$2"
    xdotool key Return
    main_shown() { wine_windows | grep -vx "$login" | grep .; }
    MAIN_WINDOW=$(wait_until 20 main_shown | tail -n 1) && [ -n "$MAIN_WINDOW" ]
}
