#!/usr/bin/env bash
# Installs what is missing, builds the app, its tests and benchmarks, and runs the tests.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-deps
./scripts/check-format
if [ -x scripts/fetch-fonts ]; then ./scripts/fetch-fonts || echo "Font download skipped; packaged faces will be used."; fi
cmake --preset testing >/dev/null
cmake --build --preset testing -j"$(nproc)"

# The tests run inside a throw-away PostgreSQL cluster (pg_virtualenv, from postgresql-common),
# which exports PGHOST, PGPORT, PGUSER, PGPASSWORD and PGDATABASE for the database tests; they
# fail rather than skip when it cannot be reached. -t keeps the cluster in a temporary folder
# even as root, and a free port of our own lets several runs share the machine.
free_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return
        fi
    done
    echo 54329
}
export QUILLORA_REQUIRE_DATABASE=1
PGPORT="$(free_port)" pg_virtualenv -t ctest --preset testing -j"$(nproc)" </dev/null
