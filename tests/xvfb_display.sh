# Sourced by the tests that run the real program: starts an Xvfb server of
# the test's own on a display number well above those that other programs
# on the machine pick first, and fails at once if it does not answer.
# Sets DISPLAY and xvfb_pid.
#
# usage: start_xvfb [COMMAND PREFIX...]   e.g. start_xvfb env LD_PRELOAD=...
start_xvfb() {
  for _ in $(seq 20); do
    local display=$((200 + RANDOM % 700))
    [ -e "/tmp/.X$display-lock" ] && continue
    # -noreset: without it the server resets when its last client leaves
    # (the readiness probe below), and a program connecting during that
    # reset is refused. -dumbSched: no scheduler timer signal, which a
    # preloaded fake clock could otherwise catch half-way through its calls.
    "$@" Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset -dumbSched 2>/dev/null &
    xvfb_pid=$!
    export DISPLAY=:$display
    for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && return 0; sleep 0.05; done
    stop_xvfb
  done
  echo "Xvfb did not start" >&2
  exit 1
}

# Ends the server; one that does not end within two seconds is killed.
stop_xvfb() {
  [ -n "$xvfb_pid" ] || return 0
  kill "$xvfb_pid" 2>/dev/null || true
  for _ in $(seq 40); do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.05; done
  kill -KILL "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}

# Makes $work, a temporary folder, and has the program under test
# ($program_pid), the server and the folder removed when the script ends.
# The program reads its configuration there, not the user's, which may name
# a shared folder.
make_work_folder() {
  work=$(mktemp -d)
  export XDG_CONFIG_HOME=$work/config
  xvfb_pid= program_pid=
  trap remove_work_folder EXIT
  trap 'exit 1' INT TERM
}

remove_work_folder() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null; wait "$program_pid" 2>/dev/null || true; fi
  stop_xvfb
  rm -rf "$work"
}
