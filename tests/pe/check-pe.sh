#!/bin/sh
# check-pe.sh OBJDUMP EXE FORMAT SUBSYSTEM MAX_KIB: the file is a PE of FORMAT (pei-i386)
# with the given subsystem (2 GUI, 3 console) whose imports are all Windows system DLLs,
# and it is no larger than MAX_KIB KiB.
set -u
objdump=$1 exe=$2 format=$3 subsystem=$4 max_kib=$5
out=$("$objdump" -p "$exe") || { echo "cannot read $exe"; exit 1; }
fail=0
size=$(stat -c %s "$exe")
echo "size: $size bytes ($((size / 1024)) KiB, at most $max_kib KiB)"
[ "$size" -le $((max_kib * 1024)) ] || { echo "larger than $max_kib KiB"; fail=1; }
echo "$out" | grep -q "file format $format\$" || { echo "not $format:"; echo "$out" | grep 'file format'; fail=1; }
sub=$(echo "$out" | awk '/^Subsystem/ {print $2}')
[ "$((0x$sub))" -eq "$subsystem" ] || { echo "subsystem is $sub, expected $subsystem"; fail=1; }
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll \
oleaut32.dll urlmon.dll wininet.dll comctl32.dll comdlg32.dll msvcrt.dll version.dll \
windowscodecs.dll gdiplus.dll ws2_32.dll ntdll.dll userenv.dll msimg32.dll "
dlls=$(echo "$out" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
[ -n "$dlls" ] || { echo "no imports found"; fail=1; }
for dll in $dlls; do
  case "$allowed" in
    *" $dll "*) echo "import ok: $dll" ;;
    *) echo "import NOT a Windows system DLL: $dll"; fail=1 ;;
  esac
done
exit $fail
