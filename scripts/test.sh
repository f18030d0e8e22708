#!/bin/sh
# Installs what is missing, builds with warnings as errors and runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export LANG="${LANG:-C.UTF-8}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
./scripts/build.sh -DZK_WERROR=ON
ctest --test-dir "${ZK_BUILD_DIR:-build}" --output-on-failure --no-tests=error \
  --parallel "${ZK_JOBS:-$(nproc)}"
