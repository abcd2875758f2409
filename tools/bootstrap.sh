#!/usr/bin/env bash
# Installs what the build, the tests and the demo need from Debian's
# packages. Idempotent: quick when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick file
  zip unzip locales
)

# Wine takes the ANSI code page from the Unix locale: the tests run the
# uninstaller as on Western (1252), Japanese (932), Russian (1251), Polish (1250) and Korean
# (949) Windows.
locales=(en_US.UTF-8 ja_JP.UTF-8 ru_RU.UTF-8 pl_PL.UTF-8 ko_KR.UTF-8)
have_locale() { locale -a 2>/dev/null | sed 's/utf8/UTF-8/' | grep -qx "$1"; }
generate_locales() {
  local wanted=() l
  for l in "${locales[@]}"; do have_locale "$l" || wanted+=("$l"); done
  [ ${#wanted[@]} -eq 0 ] && return 0
  echo "bootstrap: generating the locales ${wanted[*]}"
  for l in "${wanted[@]}"; do
    grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  done
  $sudo locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -eq 0 ]; then
  generate_locales
  echo "bootstrap: everything is installed"
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive

# A mirror in the middle of a sync can serve one architecture's index of a
# suite behind the other's (bookworm-security's i386 behind its amd64):
# retry, and if an index still fails, go on with what did download.
updated=false
for attempt in 1 2 3; do
  if $sudo apt-get update -qq; then
    updated=true
    break
  fi
  echo "bootstrap: package index update failed (attempt $attempt of 3)"
  [ "$attempt" -lt 3 ] && sleep $((attempt * 10))
done
$updated || echo "bootstrap: going on with the package indexes that did download"

install() { $sudo apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null; }
if ! install; then
  # With one architecture's index older than the other's, the i386 and amd64
  # halves of a package (wine, libc) can't be had at the same version. The
  # release's own suite always carries both at one version.
  echo "bootstrap: the install could not be resolved; installing from the release's own suite (bookworm)"
  install -t bookworm
fi
generate_locales
echo "bootstrap: done"
