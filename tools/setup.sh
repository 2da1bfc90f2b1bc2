#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing. Safe to run again.
# Usage: tools/setup.sh [twin]   twin: also what the x86_64 twin of the Windows tree needs (Wine's
#                                64-bit side and the x86_64 compilers), where the tests run on it
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev googletest zlib1g-dev
      g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 libz-mingw-w64-dev
      wine wine32:i386 libwine:i386 xvfb x11-utils xdotool imagemagick fonts-ipafont-gothic
      lhasa jlha-utils 7zip zip unzip python3 python3-pil locales-all dosfstools mtools
      fuse3 libfuse3-dev pkg-config)
if [ "${1:-}" = twin ]; then
  pkgs+=(wine64 g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64)
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
