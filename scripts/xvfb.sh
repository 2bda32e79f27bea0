# xvfb_start: starts a virtual X display when none is set, exports DISPLAY,
# and stops it when the calling shell exits (sourced).
xvfb_start() {
  [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1 && return 0
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    # A session of its own: Ctrl+C in the terminal must not take the display
    # away from a program that is still saving.
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    # Another run may have taken the number at the same moment: then this
    # server ends at once, and the next number is tried.
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null || continue
    KELUP_XVFB_DISPLAY=":$n"
    export DISPLAY=":$n"
    trap 'pkill -f "^Xvfb $KELUP_XVFB_DISPLAY " 2>/dev/null || true' EXIT
    return 0
  done
  echo "no free X display" >&2; return 1
}
