#!/bin/bash
# Takes the screenshots of docs/guide.md (into OUT/guide/) and the README's screenshots of the
# main window (OUT/main-window-up-camera.png, board-populated.png, fiducial-test-board-rotation.png,
# turned-board-placed.png) from the program on the simulated machine, under Xvfb with openbox,
# driven by xdotool. The program starts as on a first start, in a home folder of its own.
# With --linuxcnc it takes instead the README's screenshots of a run on LinuxCNC
# (OUT/linuxcnc-board-run-up-camera.png, linuxcnc-board-placed.png, linuxcnc-stop-input.png) on
# the LinuxCNC that `make linuxcnc-sim` started (its remote shell on 127.0.0.1:5007).
#
#   tools/screenshots/guide-screenshots.sh [--linuxcnc] [OUT]   (OUT: docs/screenshots by default)
#
# Needs a built tree (build/bin) and: apt-get install xvfb openbox xdotool x11-utils imagemagick.
# The screen is 1600 x 1000 and the clicks are at the places the windows take there.
# SCREENSHOT_DISPLAY chooses the X display (default :57).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
LINUXCNC=
if [ "${1:-}" = --linuxcnc ]; then
    LINUXCNC=1
    shift
fi
OUT=$(realpath -m "${1:-$ROOT/docs/screenshots}")
export DISPLAY=${SCREENSHOT_DISPLAY:-:57}

for tool in Xvfb openbox xdotool xwininfo xprop import compare; do
    command -v "$tool" > /dev/null || { echo "missing $tool: apt-get install xvfb openbox xdotool x11-utils imagemagick" >&2; exit 2; }
done
[ -x "$ROOT/build/bin/Corvane2" ] || { echo "build the program first (make run or cmake --build build)" >&2; exit 2; }
LINUXCNC_PORT=5007
if [ -n "$LINUXCNC" ]; then
    { command -v halcmd > /dev/null && (exec 3<> "/dev/tcp/127.0.0.1/$LINUXCNC_PORT") 2> /dev/null; } ||
        { echo "LinuxCNC does not answer on port $LINUXCNC_PORT: start it first (make linuxcnc-sim)" >&2; exit 2; }
fi
mkdir -p "$OUT"

WORK=$(mktemp -d /tmp/corvane-screenshots.XXXXXX)
mkdir -p "$WORK/home" "$WORK/tmp" "$WORK/placefiles"
PIDS=()
STOP_INPUT_PRESSED= # LinuxCNC's stop input, released again at the end whatever happens
cleanup() {
    local status=$? pid
    if [ "$status" != 0 ] && import -window root "$OUT/failed.png" 2> /dev/null; then
        echo "the screen at the failure: $OUT/failed.png" >&2
    fi
    for pid in "${PIDS[@]}"; do kill "$pid" 2> /dev/null || true; done
    [ -z "$STOP_INPUT_PRESSED" ] || hal_sets stop:released 1
    rm -rf "$WORK"
}
trap cleanup EXIT

# ---- the display and the windows ----------------------------------------------------------

Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp > "$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
sleep 2
HOME="$WORK/home" openbox > "$WORK/openbox.log" 2>&1 &
PIDS+=($!)
sleep 1

win() { xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | tail -1; }

wait_win() { # NAME [SECONDS]
    local i
    for i in $(seq $((${2:-30} * 5))); do
        [ -n "$(win "$1")" ] && return 0
        sleep 0.2
    done
    echo "the window \"$1\" did not appear" >&2
    exit 1
}

# The window with the window manager's frame, as WIDTHxHEIGHT+X+Y.
frame_geometry() {
    local id=$1 WIDTH HEIGHT X Y SCREEN WINDOW left right top bottom x y
    eval "$(xdotool getwindowgeometry --shell "$id")"
    read -r left right top bottom <<< "$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //;s/,//g')"
    x=$(xwininfo -id "$id" | awk '/Absolute upper-left X/{print $4}')
    y=$(xwininfo -id "$id" | awk '/Absolute upper-left Y/{print $4}')
    echo "$((WIDTH + left + right))x$((HEIGHT + top + bottom))+$((x - left))+$((y - top))"
}

# Screenshots as 8-bit palette PNGs, the pointer parked in a corner out of the picture.
shot_screen() {
    xdotool mousemove 5 995
    sleep 0.5
    import -window root "PNG8:$1"
}
shot_window() {
    xdotool mousemove 5 995
    sleep 0.5
    import -window root -crop "$(frame_geometry "$(win "$1")")" +repage "PNG8:$2"
}

# A click at a point of the screen, or of a window's client area; then a pause for its work.
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-1}"; }
click_in() { xdotool mousemove --window "$(win "$1")" "$2" "$3" click 1; sleep "${4:-1}"; }
key_in() { xdotool windowactivate --sync "$(win "$1")" key "$2"; sleep 1; }

# Menus of the main window (it fills the screen): the menu's title, then the item's height.
menu_settings() { click 69 27 0.7; click 90 "$1" 2; }
menu_file() { click 20 27 0.7; click 80 "$1" 2; }
SETTINGS_CNC=48 SETTINGS_HOME=70 SETTINGS_NOZZLE_OFFSET=114 SETTINGS_VISION=158 SETTINGS_CHECK=182
FILE_IMPORT=138 FILE_EXIT=162

MAIN="Corvane - Demo Panel"
PROGRAM_PID=

start_program() {
    env HOME="$WORK/home" TMPDIR="$WORK/tmp" "$@" "$ROOT/build/bin/Corvane2" > "$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=("$PROGRAM_PID")
    wait_win "Confirm Nozzle Selection" 120 # after the controller's homing
    sleep 1
}

stop_program() {
    menu_file $FILE_EXIT
    local i
    for i in $(seq 50); do
        kill -0 "$PROGRAM_PID" 2> /dev/null || return 0
        sleep 0.2
    done
    echo "the program did not end" >&2
    exit 1
}

# Waits until "Stop" of the placement controls looks as before the run (greyed): the run ended.
STOP_AREA=100x20+766+729
wait_run_end() {
    local i
    for i in $(seq 600); do
        sleep 1
        import -window root -crop "$STOP_AREA" +repage "$WORK/stop-now.png"
        if compare -metric AE "$WORK/stop-idle.png" "$WORK/stop-now.png" null: 2> /dev/null; then
            return 0
        fi
    done
    echo "the run did not end" >&2
    exit 1
}

# Waits until the up camera is shown ("Up" checked under "Camera Selection") and the middle of
# its picture is bright: the first part of a run held over it.
UP_CAMERA_MIDDLE=160x100+1160+412 UP_RADIO_DOT=4x4+969+920
wait_part_over_up_camera() {
    local i values
    for i in $(seq 600); do
        import -window root "$WORK/screen.miff"
        values=$(convert "$WORK/screen.miff" \( +clone -crop "$UP_RADIO_DOT" +repage \) \
            \( -clone 0 -crop "$UP_CAMERA_MIDDLE" +repage \) -delete 0 -format "%[fx:mean] " info:)
        if awk -v radio="${values% * }" -v middle="${values#* }" 'BEGIN { exit !(radio < 0.5 && middle > 0.11) }'; then
            convert "$WORK/screen.miff" "PNG8:$1"
            return 0
        fi
    done
    echo "no part came over the up camera" >&2
    exit 1
}

# A board run: RUN with its first part over the up camera, PLACED with the down camera over U1 of
# the populated board.
board_run_shots() { # RUN PLACED
    import -window root -crop "$STOP_AREA" +repage "$WORK/stop-idle.png"
    click 593 738 0 # "Start Board"
    wait_part_over_up_camera "$1"
    wait_run_end
    click 828 892 # Panel "Reset": back to board 1
    click 905 922 # "Down"
    click 704 536 4 # "Go To Part": U1
    shot_screen "$2"
}

guide_screenshots() {
    mkdir -p "$OUT/guide"
    # ---- the first start, the cameras, the home marks, the nozzle offset ------------------------

    start_program MOTRIX_SIM_BOARD_ROTATION=0.37
    shot_screen "$OUT/guide/01-first-start.png"
    key_in "Confirm Nozzle Selection" Return
    shot_screen "$OUT/guide/02-main-window.png"

    click 122 27 0.7
    click 140 48 2
    wait_win "About Corvane2"
    shot_window "About Corvane2" "$OUT/guide/01-about.png"
    key_in "About Corvane2" Return

    menu_settings $SETTINGS_VISION
    wait_win "Vision Settings"
    shot_window "Vision Settings" "$OUT/guide/03-vision-settings.png"
    click 1330 619

    menu_settings $SETTINGS_CNC
    wait_win "CNC Settings"
    shot_window "CNC Settings" "$OUT/guide/04-cnc-settings.png"
    click 1330 607

    menu_settings $SETTINGS_HOME
    wait_win "Home Settings"
    click 761 328 4 # Home 1 "Test"
    shot_screen "$OUT/guide/04-home-settings.png"
    click 761 299 3 # "Home Snap"
    wait_win "Create Snap"
    click 893 568 # a corner of the box around the mark
    shot_window "Create Snap" "$OUT/guide/04-home-snap.png"
    click_in "Create Snap" 990 798 # "Cancel": the demo's snap stays
    click 1330 464

    menu_settings $SETTINGS_NOZZLE_OFFSET
    wait_win "Nozzle Offset"
    sleep 2
    shot_window "Nozzle Offset" "$OUT/guide/05-nozzle-offset.png"
    click 1330 490

    click 395 211 4 # "Go To Camera": the nozzle over the up camera
    click 388 450 2 # "X+1": the tip beside the centre cross
    shot_screen "$OUT/main-window-up-camera.png"

    # ---- the feeders ----------------------------------------------------------------------------

    click 593 822 2 # "Feeders"
    wait_win "Feeders"
    click_in Feeders 79 18      # feeder 1, the 0805 resistors
    click_in Feeders 716 274 6  # "Test Pick"
    xdotool windowmove "$(win Feeders)" 0 24 # beside the live picture
    sleep 1
    shot_screen "$OUT/guide/06-feeders-test-pick.png"
    click_in Feeders 716 302 6 # "Discard"
    click_in Feeders 593 218 4 # "Go to Camera"
    shot_screen "$OUT/guide/06-feeders-position.png"
    click_in Feeders 529 699 # "Close"

    # ---- importing a place file (closed without importing: the demo stays) ---------------------

    import_file() {
        click_in "Import Place File" 50 22 1.5
        wait_win "Open Place File"
        xdotool type --delay 20 "$1"
        xdotool key Return
        sleep 2
    }
    choose() { # a drop-down list of the import window, DOWNS entries down
        local i
        click_in "Import Place File" "$1" "$2" 0.6
        for i in $(seq "$3"); do xdotool key Down; done
        xdotool key Return
        sleep 0.4
    }

    cp "$ROOT/tests/project/placefile/fixtures/kicad/board-mm-all.pos" "$WORK/placefiles/"
    printf 'Bauteil;Wert;Gehaeuse;Lage X;Lage Y;Drehung;Seite\nR1;10k;0603;12,5;3,2;90;T\nR2;1k;0603;15;3,2;-90;T\nC1;100n;0402;20,25;8;0;B\n' \
        > "$WORK/placefiles/bestueckung.csv"

    menu_file $FILE_IMPORT
    wait_win "Import Place File"
    import_file "$WORK/placefiles/board-mm-all.pos"
    choose 84 52 2          # "Side:" Bottom
    click_in "Import Place File" 136 52 # "Bottom side, board turned over"
    shot_window "Import Place File" "$OUT/guide/07-import-place-file.png"
    import_file "$WORK/placefiles/bestueckung.csv"
    click_in "Import Place File" 84 55 0.6 # "Side:" back to All
    xdotool key Up Up Return
    sleep 0.5
    choose 76 132 1  # Designator: 1: Bauteil
    choose 189 132 4 # X: 4: Lage X
    choose 301 132 5 # Y: 5: Lage Y
    choose 414 132 6 # Rotation: 6: Drehung
    choose 526 132 7 # Side: 7: Seite
    choose 639 132 2 # Value: 2: Wert
    choose 751 132 3 # Footprint: 3: Gehaeuse
    shot_window "Import Place File" "$OUT/guide/07-import-columns.png"
    click_in "Import Place File" 873 132 # "Use These Columns"
    shot_window "Import Place File" "$OUT/guide/07-import-columns-used.png"
    click_in "Import Place File" 909 617 # "Close"

    # ---- the fiducials, the machine check, a board run ------------------------------------------

    click 704 822 2 # "Fiducials"
    wait_win "Fiducial Settings"
    click 1535 208 5 # Fiducial 1 "Test"
    click 1535 389 5 # Fiducial 2 "Test"
    shot_screen "$OUT/fiducial-test-board-rotation.png"
    xdotool windowmove "$(win "Fiducial Settings")" 0 24
    sleep 1
    shot_screen "$OUT/guide/08-fiducials.png"
    click 267 551 # "Close"

    menu_settings $SETTINGS_CHECK
    wait_win "Machine Check"
    shot_window "Machine Check" "$OUT/guide/09-machine-check.png"
    click 1547 427

    board_run_shots "$OUT/guide/10-board-run.png" "$OUT/guide/10-board-placed.png"
    cp "$OUT/guide/10-board-placed.png" "$OUT/turned-board-placed.png"
    cp "$OUT/guide/10-board-placed.png" "$OUT/board-populated.png"
    stop_program

    # ---- a run that stops: the 0805 resistor reel is empty ----------------------------------------

    start_program MOTRIX_SIM_MISSING=1
    key_in "Confirm Nozzle Selection" Return
    click 593 738 # "Start Board"
    wait_win Information 120
    shot_screen "$OUT/guide/10-run-stops.png"
    key_in Information Return
    click 593 738 2 # "Start Board" again: where to start?
    wait_win Confirm
    shot_window Confirm "$OUT/guide/10-start-with-which-part.png"
    key_in Confirm Escape
    stop_program
}

# ---- a board run on LinuxCNC, and LinuxCNC's stop input -----------------------------------

# Sets a signal of LinuxCNC's HAL, as the user that LinuxCNC runs as.
hal_sets() { # SIGNAL VALUE
    local user
    user=$(ps -o user= -C linuxcncrsh | head -1)
    if [ -n "$user" ] && [ "$user" != "$(id -un)" ]; then
        su "$user" -s /bin/bash -c "halcmd sets $1 $2"
    else
        halcmd sets "$1" "$2"
    fi
}

# Fails unless LinuxCNC's machine is on: the program bound LinuxCNC and switched it on.
expect_linuxcnc_machine_on() {
    local reply
    exec 3<> "/dev/tcp/127.0.0.1/$LINUXCNC_PORT"
    printf 'hello EMC corvane2-screenshots 1.0\r\nget machine\r\nquit\r\n' >&3
    reply=$(timeout 5 cat <&3 || true)
    exec 3<&-
    [[ "$reply" == *"MACHINE ON"* ]] || { echo "the program did not switch LinuxCNC's machine on" >&2; exit 1; }
}

linuxcnc_screenshots() {
    # The controller chosen in Settings / CNC is bound at the next start.
    start_program
    key_in "Confirm Nozzle Selection" Return
    menu_settings $SETTINGS_CNC
    wait_win "CNC Settings"
    click 573 97 # "LinuxCNC at" 127.0.0.1:5007
    key_in "CNC Settings" Escape
    stop_program

    start_program # LinuxCNC homes its joints, then the program's visual homing
    key_in "Confirm Nozzle Selection" Return
    expect_linuxcnc_machine_on
    board_run_shots "$OUT/linuxcnc-board-run-up-camera.png" "$OUT/linuxcnc-board-placed.png"

    # The stop input pressed while a part is held over the up camera.
    click 593 738 0 # "Start Board"
    wait_part_over_up_camera "$WORK/second-run.png"
    STOP_INPUT_PRESSED=1
    hal_sets stop:released 0
    sleep 3
    shot_screen "$OUT/linuxcnc-stop-input.png"
    hal_sets stop:released 1
    STOP_INPUT_PRESSED=
    stop_program
}

if [ -n "$LINUXCNC" ]; then
    linuxcnc_screenshots
else
    guide_screenshots
fi
echo "screenshots written to $OUT"
