#!/bin/sh
# Formats the C++ sources of src/, tools/, tests/ and fuzz/ with clang-format 14 and
# the project's .clang-format:  format.sh          rewrites the files
#                               format.sh --check  changes nothing, names each file and
#                                                  line that is not formatted, exit 1
# The version is pinned: another clang-format lays some code out differently.
set -eu
cd "$(dirname "$0")/.."
tool=clang-format-14
if ! command -v "$tool" >/dev/null 2>&1; then
  echo "format: $tool is needed (Debian 12: apt-get install clang-format-14)" >&2
  exit 2
fi
files=$(find src tools tests fuzz -type f \( -name '*.cpp' -o -name '*.h' \) \
          -not -path 'fuzz/corpus/*' -not -path 'fuzz/regressions/*' | sort)
if [ "${1:-}" = --check ]; then
  # shellcheck disable=SC2086  # one word per file: the paths hold no spaces
  "$tool" --style=file --dry-run --Werror $files
else
  # shellcheck disable=SC2086
  "$tool" --style=file -i $files
fi
