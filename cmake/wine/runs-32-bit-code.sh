#!/bin/sh
# runs-32-bit-code.sh: exits 0 when this machine runs 32-bit Windows programs under Wine,
# else 1 with the reason on its output. Some machines run 64-bit user code only: there
# every i386 program, Wine's 32-bit loader included, fails with "Exec format error"
# (126), and nothing 32-bit is worth attempting. The scripts ask this, never a flag.
loader=/usr/lib/wine/wine
if [ ! -e "$loader" ]; then
  echo "32-bit Wine is not installed ($loader)"
  exit 1
fi
"$loader" --version >/dev/null 2>&1
status=$?
case $status in
  0) exit 0 ;;
  126) echo "this machine runs no 32-bit code" ;;
  *) echo "32-bit Wine does not start ($loader --version: exit $status)" ;;
esac
exit 1
