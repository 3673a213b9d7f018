#!/usr/bin/env bash
# Starts a Windows program under Wine: the one place that chooses Wine's loader.
#
#   scripts/wine.sh PROGRAM.exe [ARGS...]     scripts/wine.sh wineboot --init
#
# Debian's `wine` launcher starts the 32-bit loader whenever wine32 is installed, also for 64-bit
# programs; on a machine whose kernel refuses i386 binaries that loader cannot start at all. So a
# 64-bit program, and Wine's own tools (wineboot, reg, cmd) in our 64-bit prefixes, start with the
# 64-bit loader, and WINELOADER names it so that Wine's child processes use it too. A 32-bit
# program goes through the launcher as before.
set -euo pipefail

loader64=/usr/lib/wine/wine64

# Whether the file is a PE image for i386 (machine 0x014c in the COFF header).
is_32_bit_program() {
  local file=$1 pe machine
  [[ -f $file ]] || return 1
  pe=$(od -An -tu4 -j60 -N4 "$file" 2>/dev/null | tr -d ' ') || return 1
  [[ -n $pe ]] || return 1
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$file" 2>/dev/null | tr -d ' ') || return 1
  [[ $machine == 014c ]]
}

if [[ $# -gt 0 ]] && is_32_bit_program "$1"; then
  exec wine "$@"
fi
if [[ ! -x $loader64 ]]; then
  echo "wine.sh: Wine's 64-bit loader $loader64 is missing (Debian package wine64)" >&2
  exit 1
fi
export WINELOADER=$loader64
export WINEDEBUG=${WINEDEBUG-fixme-all}
exec "$loader64" "$@"
