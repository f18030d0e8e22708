#!/bin/sh
# Installs what is missing, builds, and starts what exists of the client.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
BIN="${ZK_BUILD_DIR:-build}/bin"
"$BIN/zelkinc"
