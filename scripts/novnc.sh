# novnc_start LOGDIR: lets a browser show and drive the current X display.
# x11vnc shares the display over VNC and websockify serves noVNC's page and
# relays its connection to x11vnc; both listen on 127.0.0.1 only. Ports:
# KELUP_RUN_WEB_PORT (the page, default 6080) and KELUP_RUN_VNC_PORT (default
# 5900); when one is taken the next free one is used, and said so. Sets
# KELUP_NOVNC_URL and KELUP_NOVNC_PORT (the page's), writes x11vnc.log and
# websockify.log to LOGDIR, and stops both when the calling shell exits
# (sourced).

KELUP_NOVNC_WEB=/usr/share/novnc

_novnc_port_busy() {
  [[ -n "$(ss -Hltn "sport = :$1" 2>/dev/null)" ]]
}

# _novnc_free_port WHAT WANTED: prints the first free port from WANTED on.
_novnc_free_port() {
  local p
  [[ "$2" =~ ^[0-9]+$ ]] || { echo "The $1 port \"$2\" is not a number." >&2; return 1; }
  for p in $(seq "$2" $(($2 + 100))); do
    _novnc_port_busy "$p" && continue
    ((p == $2)) || echo "The $1 port $2 is in use; using $p instead." >&2
    echo "$p"
    return 0
  done
  echo "No free $1 port from $2 to $(($2 + 100))." >&2
  return 1
}

# _novnc_listening PID PORT: waits until process PID listens on PORT; fails
# if it exits first or has not done so after a minute.
_novnc_listening() {
  local _
  for _ in $(seq 600); do
    kill -0 "$1" 2>/dev/null || return 1
    ss -Hltnp "sport = :$2" 2>/dev/null | grep -q "pid=$1," && return 0
    sleep 0.1
  done
  return 1
}

# _novnc_end PID: ends the process group PID leads (websockify forks one
# process per browser connection), forcibly if it lingers.
_novnc_end() {
  local _
  kill -TERM -- "-$1" 2>/dev/null || kill -TERM "$1" 2>/dev/null || return 0
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL -- "-$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

novnc_stop() {
  [[ -n "${KELUP_WEBSOCKIFY_PID:-}" ]] && _novnc_end "$KELUP_WEBSOCKIFY_PID"
  [[ -n "${KELUP_X11VNC_PID:-}" ]] && _novnc_end "$KELUP_X11VNC_PID"
  KELUP_WEBSOCKIFY_PID='' KELUP_X11VNC_PID=''
  return 0
}

novnc_start() {
  local logdir="$1" vnc web prev
  KELUP_NOVNC_URL='' KELUP_NOVNC_PORT=''
  if ! command -v x11vnc >/dev/null || ! command -v websockify >/dev/null ||
     [[ ! -f "$KELUP_NOVNC_WEB/vnc.html" ]]; then
    echo "x11vnc, websockify or noVNC is missing (scripts/setup.sh installs them)." >&2
    return 1
  fi
  mkdir -p "$logdir"

  # Stop both with the shell, ahead of whatever was to happen on exit already
  # (such as ending the virtual display).
  eval "set -- $(trap -p EXIT)"
  prev="${3:-}"
  # shellcheck disable=SC2064
  trap "novnc_stop; $prev" EXIT

  # Sessions of their own, like the display: Ctrl+C in the terminal is for
  # this shell, which ends them itself once the program has saved.
  vnc="$(_novnc_free_port VNC "${KELUP_RUN_VNC_PORT:-5900}")" || return 1
  setsid x11vnc -display "$DISPLAY" -localhost -rfbport "$vnc" -nopw -forever \
    -shared >"$logdir/x11vnc.log" 2>&1 &
  KELUP_X11VNC_PID=$!
  if ! _novnc_listening "$KELUP_X11VNC_PID" "$vnc"; then
    echo "x11vnc did not start; see $logdir/x11vnc.log" >&2
    novnc_stop
    return 1
  fi

  web="$(_novnc_free_port web "${KELUP_RUN_WEB_PORT:-6080}")" || { novnc_stop; return 1; }
  setsid websockify --web "$KELUP_NOVNC_WEB" "127.0.0.1:$web" "127.0.0.1:$vnc" \
    >"$logdir/websockify.log" 2>&1 &
  KELUP_WEBSOCKIFY_PID=$!
  if ! _novnc_listening "$KELUP_WEBSOCKIFY_PID" "$web"; then
    echo "websockify did not start; see $logdir/websockify.log" >&2
    novnc_stop
    return 1
  fi
  KELUP_NOVNC_PORT="$web"
  KELUP_NOVNC_URL="http://127.0.0.1:$web/vnc.html?autoconnect=1&resize=scale"
}
