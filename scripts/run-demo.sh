#!/bin/sh
# Installs what is missing, builds, writes the demo data once, starts the leader's
# server stand-in on it in the background and runs what exists of the client. The
# stand-in is stopped when this script ends.
set -eu
cd "$(dirname "$0")/.."
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

# The member's exchange without windows: first set-up and the dossier query of member
# zy01 of province 11 into a storage folder under the build folder, then the major list
# of the first set with dossiers.
STORAGE="$BUILD/demo-storage"
"$BIN/zelkinc-cli" sync --storage "$STORAGE" --province 11 --user zy01 --password pw01 || true
"$BIN/zelkinc-cli" grid --storage "$STORAGE" --province 11 --user zy01 --set 2 1 1 --majors || true

# The client. It logs in through the province list beside it; pick 北京 or 江苏 and
# log in as zy01 / pw01.
"$BIN/zelkinc"

# Until the client is interactive, the stand-in stays up for zelkinc-cli link when
# this runs in a terminal, e.g.:
#   build/bin/zelkinc-cli link --host 127.0.0.1 --port 8612 --user zy01 --password pw01 --ssdm 11 state + dqpc
if [ -t 0 ]; then
  echo "run-demo: press Enter to stop the leader's server stand-in."
  read -r _
fi
