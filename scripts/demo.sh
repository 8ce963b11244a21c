#!/usr/bin/env bash
# Installs what is missing, builds the qor tool and shows it at work.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset posix >/dev/null
cmake --build --preset posix --target qor
qor=build/posix/bin/qor
echo "=== qor hr: result codes taken apart"
"$qor" hr 0x80070002 0xC4000066 0x8007000E
echo
echo "=== qor hr --win32: a Win32 error number as a result code"
"$qor" hr --win32 32
