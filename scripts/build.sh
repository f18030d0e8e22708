#!/bin/sh
# Configures and builds everything into ./build (or $ZK_BUILD_DIR).
# Extra arguments go to the configure step, e.g. -DZK_WERROR=ON.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${ZK_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -G Ninja "$@"
cmake --build "$BUILD_DIR" --parallel "${ZK_JOBS:-$(nproc)}"
