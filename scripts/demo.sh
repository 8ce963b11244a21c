#!/usr/bin/env bash
# Installs what is missing, builds the qor tool and shows it at work: a ZIP round trip of the library's
# sources, then a scratch registry and data folder under build/demo (the user's own are left alone).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset posix >/dev/null
cmake --build --preset posix --target qor
qor=$PWD/build/posix/bin/qor
demo=$PWD/build/demo
rm -rf "$demo" && mkdir -p "$demo/z4db"
export QOR_REGISTRY_DIR=$demo/registry XDG_DATA_HOME=$demo/data

echo "=== qor zip: the library's own sources packed, checked, unpacked elsewhere and compared"
"$qor" zip create "$demo/sources.zip" Shared/QorUtility
"$qor" zip list "$demo/sources.zip" | tail -n 4
"$qor" zip info "$demo/sources.zip"
"$qor" zip test "$demo/sources.zip" | tail -n 1
unzip -tq "$demo/sources.zip"
"$qor" zip extract "$demo/sources.zip" -d "$demo/restored"
diff -r Shared/QorUtility "$demo/restored/Shared/QorUtility" && echo "restored copy identical to Shared/QorUtility"
echo
echo "=== qor hr: result codes taken apart"
"$qor" hr 0x80070002 0xC4000066
echo
echo "=== qor reg: the family's keys, as an installer would set them"
"$qor" reg add 'HKLM\Software\Tolmar Technology\Common' --value Path --data /opt/tolmar/common/
"$qor" reg add 'HKCU\Software\Tolmar Technology\Common' --value DataPath --data "$demo/z4db"
"$qor" reg add 'HKLM\SOFTWARE\Tolmar Technology\Z4' --value ErrorLogTruncate --type REG_DWORD --data 1
"$qor" reg query 'HKCU\Software\Tolmar Technology\Common'
echo
echo "=== qor locations: where the family finds its folders"
"$qor" locations
echo
echo "=== qor log: three processes append to the one error log at once"
for worker in 1 2 3; do
  ( for line in 1 2 3; do "$qor" log write 0x80004005 "worker $worker" "line $line"; done ) &
done
wait
echo "the log: $("$qor" log path)"
"$qor" log tail -n 9
echo
echo "=== qor reg export: the keys as a registry file"
"$qor" reg export 'HKCU\Software\Tolmar Technology' "$demo/tolmar.reg"
cat "$demo/tolmar.reg"
