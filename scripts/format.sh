#!/usr/bin/env bash
# Formats the C++ sources with clang-format and the repository's .clang-format.
#   scripts/format.sh           formats every file in place
#   scripts/format.sh --check   lists the files that are not formatted and exits 1 when there is one
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case "${1:-}" in
  "") ;;
  --check) check=true ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

command -v clang-format >/dev/null || { echo "clang-format is missing: run scripts/deps.sh" >&2; exit 2; }

mapfile -d '' files < <(find src tools tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if ! $check; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi

unformatted=0
for f in "${files[@]}"; do
  if ! clang-format --style=file --dry-run -Werror "$f" >/dev/null 2>&1; then
    echo "$f"
    unformatted=1
  fi
done
exit "$unformatted"
