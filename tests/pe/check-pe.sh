#!/bin/sh
# check-pe.sh OBJDUMP EXE FORMAT SUBSYSTEM MAX_KB FUNCTIONS [SOURCES]: the file is a PE
# of FORMAT (pei-i386) with the given subsystem (2 GUI, 3 console) that Windows 2000 can
# run (subsystem version at most 5.0), no larger than MAX_KB kB, whose imports come only
# from KnownDLLs (and comctl32, which the manifest binds) and are each listed in
# FUNCTIONS as existing on Windows 2000. With SOURCES, every function that the sources
# there look up at run time by name is listed in FUNCTIONS as such.
set -u
objdump=$1 exe=$2 format=$3 subsystem=$4 max_kb=$5 functions=$6 sources=${7:-}
out=$("$objdump" -p "$exe") || { echo "cannot read $exe"; exit 1; }
fail=0
size=$(stat -c %s "$exe")
echo "size: $size bytes ($((size / 1000)) kB, at most $max_kb kB)"
[ "$size" -le $((max_kb * 1000)) ] || { echo "larger than $max_kb kB"; fail=1; }
echo "$out" | grep -q "file format $format\$" || { echo "not $format:"; echo "$out" | grep 'file format'; fail=1; }
sub=$(echo "$out" | awk '/^Subsystem/ {print $2}')
[ "$((0x$sub))" -eq "$subsystem" ] || { echo "subsystem is $sub, expected $subsystem"; fail=1; }
version=$(echo "$out" | awk '/^MajorSubsystemVersion/ {major = $2} /^MinorSubsystemVersion/ {minor = $2}
                            END {print major * 100 + minor}')
[ "$version" -le 500 ] || { echo "subsystem version $version/100 is newer than Windows 2000's 5.0"; fail=1; }

# Windows loads a KnownDLL only from the system folder; any other DLL imported would be
# looked for beside the program first.
known=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll \
oleaut32.dll msvcrt.dll comdlg32.dll ws2_32.dll comctl32.dll "
imports=$(echo "$out" | awk '/DLL Name:/ {dll = tolower($3)} /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {print dll, $3}')
[ -n "$imports" ] || { echo "no imports found"; fail=1; }
for dll in $(echo "$imports" | awk '{print $1}' | sort -u); do
  case "$known" in
    *" $dll "*) ;;
    *) echo "import from $dll, which is no KnownDLL: load it from the system folder at run time"; fail=1 ;;
  esac
done
listed=$(grep -v '^#' "$functions" | awk 'NF >= 3 && $1 != "runtime" {print $1, $2, $3}')
unlisted=$(echo "$imports" | while read -r dll function; do
  oldest=$(echo "$listed" | awk -v d="$dll" -v f="$function" '$1 == d && $2 == f {print $3}')
  [ "$oldest" = 2000 ] || echo "$dll $function (${oldest:-not listed})"
done)
if [ -n "$unlisted" ]; then
  echo "imports not listed in $(basename "$functions") as existing on Windows 2000:"
  echo "$unlisted" | sed 's/^/  /'
  fail=1
fi
grep -v '^#' "$functions" | awk '$1 == "runtime" && NF < 5 {print "a run-time function without what happens where it is missing:", $0}' |
  grep . && fail=1
if [ -n "$sources" ]; then
  runtime=$(grep -v '^#' "$functions" | awk '$1 == "runtime" {print $3}')
  looked_up=$(grep -rhoE --include='*.cpp' '(GetProcAddress\([^,]+|Bind\(dll), "[A-Za-z0-9_]+"' \
                "$sources/system" "$sources/startup" "$sources/packages" "$sources/sequence" "$sources/ui" |
              sed 's/.*"\(.*\)"/\1/' | sort -u)
  [ -n "$looked_up" ] || { echo "no run-time look-ups found under $sources"; fail=1; }
  for function in $looked_up; do
    echo "$runtime" | grep -qx "$function" ||
      { echo "$function is looked up at run time but not listed as such in $(basename "$functions")"; fail=1; }
  done
fi
echo "$(echo "$imports" | wc -l) imports from $(echo "$imports" | awk '{print $1}' | sort -u | wc -l) DLLs"
exit $fail
