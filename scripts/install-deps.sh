#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing QorUtil need, when any is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config python3
  zlib1g-dev libsqlite3-dev libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev libdw-dev
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine
  libssl-dev
)
packages+=(libcurl4-openssl-dev) # the peer of the URL-escaping benchmark
packages+=(libzip-dev zip unzip p7zip-full libarchive-tools) # peers of the ZIP benchmark (bench/zip_corpus.py)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && { echo "install-deps: all ${#packages[@]} packages present"; exit 0; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
