#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the POSIX build, the same under
# AddressSanitizer + UndefinedBehaviorSanitizer, the Windows build under Wine, a consumer program
# built against each installed package, and every fuzz target for a short run on its seed corpus.
# Usage: scripts/test-all.sh [preset ...]   (presets: posix posix-asan mingw64 fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(posix posix-asan mingw64 fuzz)

for preset in "${presets[@]}"; do
  if [ "$preset" = fuzz ]; then
    scripts/fuzz.sh "${QOR_FUZZ_SECONDS:-15}"
    continue
  fi
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "=== $preset: tests"
  ctest --preset "$preset"
  if [ "$preset" != posix-asan ]; then
    echo "=== $preset: consumer of the installed package"
    scripts/check-consumer.sh "$preset"
  fi
done
echo "=== all presets passed: ${presets[*]}"
