#!/usr/bin/env bash
# Starts or stops LinuxCNC headless with the demo machine's configuration (config/), its remote
# shell on port 5007: what `make linuxcnc-sim` and `make linuxcnc-sim-stop` run.
#
#   linuxcnc-sim.sh start FOLDER   copy the configuration to FOLDER and start LinuxCNC from it in
#                                  the background; return once its remote shell answers
#   linuxcnc-sim.sh stop FOLDER    shut LinuxCNC down through its remote shell and check that
#                                  nothing of it is left running
#
# LinuxCNC refuses to run as root: as root, the script runs it as the ordinary user
# corvane-linuxcnc (created when missing) from that user's home, and FOLDER is not used.
set -euo pipefail

readonly PORT=5007
readonly USER_AS_ROOT=corvane-linuxcnc
readonly START_SECONDS=90
readonly STOP_SECONDS=30
readonly CONFIG_DIR="$(cd "$(dirname "$0")/config" && pwd)"

action="${1:-}"
folder="${2:-}"
if [ "$(id -u)" = 0 ]; then
    run_user="$USER_AS_ROOT"
    if [ "$action" = start ] && ! id "$run_user" >/dev/null 2>&1; then
        useradd --create-home --shell /bin/bash "$run_user"
    fi
    folder="$(getent passwd "$run_user" | cut -d: -f6 || true)/corvane-sim"
else
    run_user="$(id -un)"
    [ -n "$folder" ] || { echo "usage: $0 start|stop FOLDER" >&2; exit 2; }
    mkdir -p "$folder"
    folder="$(cd "$folder" && pwd)"
fi
readonly pid_file="$folder/linuxcnc.pid"
readonly log_file="$folder/linuxcnc.log"

# Runs a command as the user that runs LinuxCNC.
as_user() {
    if [ "$(id -u)" = 0 ]; then
        su "$run_user" -s /bin/bash -c "$1"
    else
        bash -c "$1"
    fi
}

# True when LinuxCNC's remote shell greets us on the port.
shell_answers() {
    local greeting
    { exec 3<>"/dev/tcp/127.0.0.1/$PORT"; } 2>/dev/null || return 1
    printf 'hello EMC corvane2-sim 1.0\r\nquit\r\n' >&3
    greeting="$(timeout 5 head -n 1 <&3 || true)"
    exec 3<&-
    [[ "$greeting" == HELLO\ ACK* ]]
}

# Tells LinuxCNC to shut down through its own shell.
shut_down_through_shell() {
    { exec 3<>"/dev/tcp/127.0.0.1/$PORT"; } 2>/dev/null || return 0
    printf 'hello EMC corvane2-sim 1.0\r\nset enable EMCTOO\r\nshutdown\r\n' >&3
    timeout 5 cat <&3 >/dev/null || true
    exec 3<&-
}

# Our LinuxCNC's own processes: its start script, every process started with our configuration
# file (the shell, the server, the task; some leave the script's session), and whatever runs as
# the user that exists only for it.
our_processes() {
    {
        if [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null; then
            cat "$pid_file"
        fi
        pgrep -f -- "-ini $folder/config/corvane-sim.ini" || true
        if [ "$run_user" = "$USER_AS_ROOT" ]; then
            pgrep -u "$run_user" || true
        fi
    } | sort -u
}

# What is left of a LinuxCNC: our own processes, and any real-time process or remote shell
# (only ours run on this machine; they are named here, never ended by name).
leftovers() {
    {
        our_processes
        pgrep -x rtapi_app || true
        pgrep -x linuxcncrsh || true
    } | sort -u
}

wait_until_gone() {
    local seconds="$1"
    for _ in $(seq 1 $((seconds * 2))); do
        [ -z "$(leftovers)" ] && return 0
        sleep 0.5
    done
    return 1
}

start() {
    if shell_answers; then
        echo "LinuxCNC already answers on port $PORT."
        return 0
    fi
    if [ -n "$(leftovers)" ]; then
        echo "A LinuxCNC is still running without its remote shell; stopping it first."
        stop
    fi
    rm -rf "$folder/config"
    mkdir -p "$folder"
    cp -r "$CONFIG_DIR" "$folder/config"
    if [ "$(id -u)" = 0 ]; then
        chown -R "$run_user:" "$folder"
    fi
    # setsid: LinuxCNC outlives this script, in a session of its own. Without a display or a
    # terminal it clears the lock of a LinuxCNC that died rather than asking in a window.
    as_user "cd '$folder/config' && { env -u DISPLAY setsid linuxcnc corvane-sim.ini >'$log_file' 2>&1 </dev/null & echo \$! >'$pid_file'; }"
    for _ in $(seq 1 "$START_SECONDS"); do
        if shell_answers; then
            echo "LinuxCNC answers on port $PORT (configuration $folder/config, log $log_file)."
            return 0
        fi
        if ! kill -0 "$(cat "$pid_file")" 2>/dev/null; then
            break
        fi
        sleep 1
    done
    echo "LinuxCNC did not start; its log:" >&2
    tail -n 30 "$log_file" >&2 || true
    tail -n 30 "$(getent passwd "$run_user" | cut -d: -f6)/linuxcnc_debug.txt" >&2 || true
    stop || true
    return 1
}

stop() {
    shut_down_through_shell
    if ! wait_until_gone "$STOP_SECONDS"; then
        # Its start script cleans up after itself when told to end; what is still left of it is
        # ended by its process ids, and the real-time part through HAL.
        if [ -f "$pid_file" ]; then
            kill -TERM "$(cat "$pid_file")" 2>/dev/null || true
        fi
        if ! wait_until_gone 10; then
            for signal in CONT TERM KILL; do
                for pid in $(our_processes); do kill "-$signal" "$pid" 2>/dev/null || true; done
                sleep 2
            done
            as_user "halrun -U" >/dev/null 2>&1 || true
            wait_until_gone 10 || true
        fi
    fi
    rm -f "$pid_file"
    local left
    left="$(leftovers)"
    if [ -n "$left" ]; then
        echo "Still running after the stop:" >&2
        ps -o pid,user,args -p "$(echo "$left" | paste -sd,)" >&2 || true
        return 1
    fi
    echo "LinuxCNC stopped; nothing of it is running."
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *) echo "usage: $0 start|stop FOLDER" >&2; exit 2 ;;
esac
