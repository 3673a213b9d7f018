#!/usr/bin/env bash
# Installs, with apt-get, the Debian 12 packages the build, the tests and the demo need, and only
# those that are missing. Runs as root (or through sudo when it is there).
#
# wine32 (i386 packages) runs the i686 build's tests. It is installed only where this machine runs
# 32-bit programs, which is found out first with the small amd64 package libc6-i386 alone: on a
# kernel that refuses i386 binaries wine32 could not run, and once installed it would make
# Debian's `wine` command start its 32-bit loader for 64-bit programs too.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake g++ make                                         # native build
  googletest libbenchmark-dev                            # unit tests (GoogleTest from source), benchmarks
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix    # Windows cross build, x86_64 and i686
  wine wine64                                            # runs the Windows tests and the editor
  libc6-i386                                             # the i386 loader, to find out about 32 bits
  xvfb x11-utils imagemagick                             # headless display, its probe, screenshots
  librsvg2-bin                                           # renders the map for the README
  fonts-liberation fonts-wine                            # fonts metric-compatible with Windows' own
  libcli11-dev nlohmann-json3-dev                        # companion: arguments, JSON (header-only)
  python3 clang-format                                   # test helpers, formatting
  clang libclang-rt-14-dev                               # fuzzing: clang, libFuzzer, sanitizers
)

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# Other installs may hold the package lock for a while: wait for it rather than fail.
apt=(apt-get -o DPkg::Lock::Timeout=600)
lists_read=0

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# install PACKAGE...: installs those not installed yet. A name ending in "-" is one apt must not
# bring along with them.
install() {
  local missing=() unwanted=() package
  for package in "$@"; do
    if [[ $package == *- ]]; then
      unwanted+=("$package")
    elif ! installed "$package"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "deps: installing ${missing[*]}"
  if [ ${#sudo[@]} -gt 0 ] && ! command -v sudo >/dev/null; then
    echo "deps: run as root to install: ${missing[*]}" >&2
    exit 1
  fi
  if [ "$lists_read" -eq 0 ]; then
    "${sudo[@]}" "${apt[@]}" update
    lists_read=1
  fi
  "${sudo[@]}" "${apt[@]}" install -y "${missing[@]}" "${unwanted[@]}"
}

install libc6-i386
if reason=$("$repo/scripts/runs_32_bit.sh"); then
  # The architecture is added once, before the package lists are read again.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
    lists_read=0
  fi
  install "${packages[@]}" wine32:i386
  exit 0
fi

# wine64 recommends wine32: where the i386 architecture is there, apt would bring it along.
not_wine32=()
if dpkg --print-foreign-architectures | grep -qx i386 && ! installed wine32:i386; then
  not_wine32=(wine32:i386-)
fi
install "${packages[@]}" "${not_wine32[@]}"
if installed wine32:i386; then
  echo "deps: wine32 is installed, but this machine cannot run it: $reason;" \
    "our scripts start 64-bit programs with Wine's 64-bit loader all the same" >&2
fi
