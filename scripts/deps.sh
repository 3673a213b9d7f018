#!/usr/bin/env bash
# Installs, with apt-get, the Debian 12 packages the build, the tests and the demo need, and only
# those that are missing. Runs as root (or through sudo when it is there).
set -euo pipefail

packages=(
  cmake g++ make                                         # native build
  googletest libbenchmark-dev                            # unit tests (GoogleTest from source), benchmarks
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix    # Windows cross build, x86_64 and i686
  wine wine64                                            # runs the Windows tests and the editor
  wine32                                                 # runs the i686 build's tests (i386 packages)
  xvfb x11-utils imagemagick                             # headless display, its probe, screenshots
  librsvg2-bin                                           # renders the map for the README
  fonts-liberation fonts-wine                            # fonts metric-compatible with Windows' own
  python3 clang-format                                   # test helpers, formatting
  clang libclang-rt-14-dev                               # fuzzing: clang, libFuzzer, sanitizers
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "deps: run as root to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package: the architecture is added once, before the package lists are read.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
# Other installs may hold the package lock for a while: wait for it rather than fail.
apt=(apt-get -o DPkg::Lock::Timeout=600)
"${sudo[@]}" "${apt[@]}" update
"${sudo[@]}" "${apt[@]}" install -y "${missing[@]}"
