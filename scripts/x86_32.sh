#!/bin/bash
# Whether this machine runs 32-bit x86 code itself, and running it accordingly.
#   x86_32.sh check          exit 0 when a static i686 program runs natively here
#   x86_32.sh run PROG ARGS  runs an i686 Linux program directly where it can, else under qemu-i386
# Machines of our kind differ: some kernels refuse 32-bit code (Exec format error),
# others run it in compatibility mode. A program that only runs because binfmt hands it
# to an emulator does not count. Asked afresh each time: a tree moves between machines.
set -uo pipefail
cd "$(dirname "$0")/.."
runs_natively() {
  local dir; dir=$(mktemp -d) || return 1
  # The user code segment: 0x23 for 32-bit code under a 64-bit kernel, 0x73 under a
  # 32-bit one. An emulator reports its own, so binfmt registrations are checked as well.
  printf '%s\n' 'int main(void){unsigned short cs;__asm__("mov %%cs,%0":"=r"(cs));return cs==0x23||cs==0x73?0:1;}' >"$dir/p.c"
  local ok=1
  if command -v i686-linux-gnu-gcc >/dev/null && i686-linux-gnu-gcc -static -O2 "$dir/p.c" -o "$dir/p" 2>/dev/null &&
     ! grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && "$dir/p" 2>/dev/null; then
    ok=0
  fi
  rm -rf "$dir"
  return $ok
}

case ${1:-} in
  check) runs_natively ;;
  run)
    shift
    if runs_natively; then exec "$@"; else exec qemu-i386 "$@"; fi ;;
  *) echo "usage: x86_32.sh check | run PROGRAM [ARGS...]" >&2; exit 2 ;;
esac
