#!/usr/bin/env bash
# The format check that test.sh runs must fail on an unformatted file and name it, and pass once
# the file is formatted. Works on a copy of the project's .clang-format in a temporary folder.
#   check_format_test.sh <project root>
set -euo pipefail
project="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$project/.clang-format" "$work/"
mkdir -p "$work/src/core" "$work/tests"
printf 'int formatted(int a) {\n    return a + 1;\n}\n' >"$work/src/core/formatted.cpp"
printf 'int  unformatted( int a ){return a+1;}\n' >"$work/tests/unformatted.cpp"

if output="$("$project/scripts/check-format" "$work" 2>&1)"; then
    echo "FAIL: the check passed a tree with an unformatted file"
    exit 1
fi
grep -q "tests/unformatted.cpp" <<<"$output" || { echo "FAIL: the unformatted file is not named:"; echo "$output"; exit 1; }
if grep -q "formatted.cpp" <<<"${output//unformatted.cpp/}"; then
    echo "FAIL: a formatted file is named:"; echo "$output"; exit 1
fi

clang-format -i "$work/tests/unformatted.cpp"
"$project/scripts/check-format" "$work" || { echo "FAIL: the check fails a formatted tree"; exit 1; }
echo "PASS"
