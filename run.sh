#!/usr/bin/env bash
# Installs what is missing, builds the app (release) and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-deps
if [ -x scripts/fetch-fonts ]; then ./scripts/fetch-fonts || echo "Font download skipped; packaged faces will be used."; fi
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
exec ./build/release/src/quillora "$@"
