#!/usr/bin/env bash
# Installs a built preset into a staging folder and builds a small program against it, once through
# find_package(QorUtil) and (natively) once through pkg-config, then runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
build=build/$preset
stage=$PWD/$build/stage
rm -rf "$stage" "$build/consumer"
cmake --install "$build" --prefix "$stage" >/dev/null
toolchain=()
[ "$preset" = mingw64 ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw64.cmake")
# QorUtil_DIR rather than a prefix path: a cross build re-roots prefix paths into its sysroot.
cmake -S tests/consumer -B "$build/consumer" -G Ninja -DQorUtil_DIR="$stage/lib/cmake/QorUtil" "${toolchain[@]}" >/dev/null
cmake --build "$build/consumer" >/dev/null
if [ "$preset" = mingw64 ]; then
  cp "$stage"/bin/*.dll "$build/consumer/"
  QOR_WINEPREFIX=$PWD/$build/wineprefix cmake/wine-run.sh "$build/consumer/qor_consumer.exe"
else
  "$build/consumer/qor_consumer"
  PKG_CONFIG_PATH="$stage/lib/pkgconfig" g++ -std=c++17 tests/consumer/main.cpp \
    $(PKG_CONFIG_PATH="$stage/lib/pkgconfig" pkg-config --cflags --libs qorutil) -Wl,-rpath,"$stage/lib" \
    -o "$build/consumer/qor_consumer_pkgconfig"
  "$build/consumer/qor_consumer_pkgconfig"
fi
