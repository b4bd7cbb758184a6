# Sourced by the tests that run the real program: starts an Xvfb server of
# the test's own on a display number well above those that other programs
# on the machine pick first. Sets DISPLAY and xvfb_pid.
start_xvfb() {
  for _ in $(seq 20); do
    local display=$((200 + RANDOM % 700))
    [ -e "/tmp/.X$display-lock" ] && continue
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
    xvfb_pid=$!
    export DISPLAY=:$display
    for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && return 0; sleep 0.05; done
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true
  done
  echo "Xvfb did not start" >&2
  exit 1
}
