#!/usr/bin/env bash
# Installs what is missing, builds the app, its tests and benchmarks, and runs the tests.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-deps
./scripts/check-format
if [ -x scripts/fetch-fonts ]; then ./scripts/fetch-fonts || echo "Font download skipped; packaged faces will be used."; fi
cmake --preset testing >/dev/null
cmake --build --preset testing -j"$(nproc)"
ctest --preset testing -j"$(nproc)"
