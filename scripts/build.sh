#!/bin/sh
# Configures and builds everything into ./build (or $ZK_BUILD_DIR).
# Extra arguments go to the configure step, e.g. -DZK_WERROR=ON.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${ZK_BUILD_DIR:-build}"
LAUNCHER=""
if command -v ccache >/dev/null 2>&1; then
  # Compiled objects are kept between builds and between clones of the repository:
  # paths are taken relative to the clone, so another clone hits the same entries.
  CCACHE_BASEDIR="$(pwd)"
  CCACHE_NOHASHDIR=1
  export CCACHE_BASEDIR CCACHE_NOHASHDIR
  LAUNCHER="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086
cmake -S . -B "$BUILD_DIR" -G Ninja $LAUNCHER "$@"
cmake --build "$BUILD_DIR" --parallel "${ZK_JOBS:-$(nproc)}"
