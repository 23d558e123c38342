#!/usr/bin/env bash
# Fails when a source file is in none of the CMake source lists. The lists are written by hand, so
# a file added without a line there would silently not be built, or its tests not run.
#
#   tests/layering/check_source_lists.sh [source-root]
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || { echo "check_source_lists: no folder $root" >&2; exit 2; }

lists=$(cat CMakeLists.txt cmake/*.cmake fuzz/CMakeLists.txt 2>/dev/null)
missing=0
while IFS= read -r file; do
  # Lists in a folder's own CMake file, and the perf list, name files below their folder: either
  # form counts, as a whole path word ("bench_refresh.cpp" does not list "refresh.cpp").
  below=${file#*/}
  if grep -qE "(^|[[:space:]/\"}])(${file//./\\.}|${below//./\\.})($|[[:space:])\"])" <<<"$lists"; then
    continue
  fi
  echo "$file: in no source list of CMakeLists.txt"
  missing=$((missing + 1))
done < <(find support quotes assistant simulators app desktop tests bench fuzz tools -name '*.cpp' \
           -not -path '*/corpus/*' 2>/dev/null | sort)
if [ "$missing" -ne 0 ]; then
  echo "check_source_lists: $missing file(s) are built by no target"
  exit 1
fi
echo "check_source_lists: every source file is in a list"
