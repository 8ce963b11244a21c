#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer) and runs each on a copy of its seed
# corpus for a while. Usage: scripts/fuzz.sh [seconds per target, default 20] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  cp -r fuzz/corpus/"$name"/. "$work"/ 2>/dev/null || true
  echo "=== fuzz $name: ${seconds}s"
  build/fuzz/bin/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
    "$work" 2>build/fuzz/"$name".log || { tail -40 build/fuzz/"$name".log; exit 1; }
  grep -E '^Done [0-9]+ runs' build/fuzz/"$name".log | tail -1 || true
done
