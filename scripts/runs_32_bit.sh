#!/usr/bin/env bash
# Tells whether this machine runs 32-bit (i386) programs: exit 0 when it does; otherwise exit 1
# with the reason on standard output. It starts the i386 loader once, which is all it takes: some
# kernels refuse i386 binaries ("Exec format error"), and there 32-bit Wine cannot start either.
# TOVICK_NO_32_BIT=1 answers "no" without trying, to try that path on any machine.
set -uo pipefail

loader=/lib/ld-linux.so.2
if [[ ${TOVICK_NO_32_BIT:-0} == 1 ]]; then
  echo "TOVICK_NO_32_BIT=1 is set"
  exit 1
fi
if [[ ! -e $loader ]]; then
  echo "the i386 loader $loader is not installed (Debian package libc6-i386)"
  exit 1
fi
if output=$("$loader" --version 2>&1 </dev/null); then
  exit 0
fi
reason=$(head -n 1 <<<"$output" | sed -E 's/^.*(cannot execute)/\1/')
echo "the kernel does not start the i386 loader $loader ($reason)"
exit 1
