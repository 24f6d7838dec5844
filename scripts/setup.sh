#!/usr/bin/env bash
# Installs every Debian package the builds, tests and demo need. Idempotent: quiet when all is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  clang libclang-rt-14-dev llvm-14
  python3 wine64 wine32:i386 xvfb xauth imagemagick
  osslsigncode openssl
)

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi

# The shipped gate is a 32-bit program: 32-bit Wine runs it, and comes from the i386 architecture.
added_architecture=
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  added_architecture=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && [ -z "$added_architecture" ] && exit 0

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}"
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
