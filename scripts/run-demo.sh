#!/bin/sh
# Installs what is missing, builds, writes the demo data once, starts the leader's
# server stand-in on it in the background and runs the client, which opens with its
# login dialog. The stand-in is stopped when the client ends.
set -eu
cd "$(dirname "$0")/.."

# The client is a desktop program: without a screen it cannot show its login dialog.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run-demo: no display (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
  echo "run-demo: run it on a desktop, or in a virtual screen: xvfb-run -a ./scripts/run-demo.sh" >&2
  exit 1
fi

./scripts/install-deps.sh
./scripts/build.sh
BUILD="${ZK_BUILD_DIR:-build}"
BIN="$BUILD/bin"
DATA="$BUILD/demo-data"
PORT=8612 # the port the shipped province list (t_sszt.adtg) names for every province

# The demo data: two provinces (11 with numeric scores, 32 graded), members zy01..zy03
# with the passwords pw01..pw03. Written once; delete the folder to write it again.
if [ ! -f "$DATA/.complete" ]; then
  rm -rf "$DATA"
  "$BIN/zelkinc-leader" generate --root "$DATA"
  touch "$DATA/.complete"
fi

LOG="$BUILD/demo-leader.out"
"$BIN/zelkinc-leader" --root "$DATA" --port "$PORT" --loopback --log "$BUILD/demo-leader.log" >"$LOG" 2>&1 &
LEADER=$!
stop_leader() {
  kill "$LEADER" 2>/dev/null || true
  wait "$LEADER" 2>/dev/null || true
}
trap stop_leader EXIT
trap 'exit 130' INT TERM

# Wait until it listens (or gives up, e.g. because the port is taken).
tries=0
until grep -q "listening on port" "$LOG" 2>/dev/null; do
  if ! kill -0 "$LEADER" 2>/dev/null || [ "$tries" -ge 50 ]; then
    echo "run-demo: the leader's server stand-in did not start:" >&2
    cat "$LOG" >&2
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.1
done
echo "run-demo: leader's server stand-in on 127.0.0.1:$PORT serving $DATA (log: $BUILD/demo-leader.log)"

# The client. Its storage folder is ~/Documents/.ZelkinCUStorage2012/ (made on the first
# start); on the map pick 北京 (or 江苏), then user zy01 and password pw01, and press
# 联机登录. The first login downloads and imports the demo data.
echo "run-demo: log in on 北京 (or 江苏) as zy01 with the password pw01 (联机登录)."
"$BIN/zelkinc"
