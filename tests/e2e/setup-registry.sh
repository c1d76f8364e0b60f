# Sourced by the e2e scripts once wine_run is set: the registry as Setup.exe sees it. Its
# keys live in the 32-bit view, where Windows puts the 32-bit program's and where the
# 64-bit build asks for them by name, so reg is pointed there too (HKCU's are shared).
setup_reg() { "$wine_run" reg "$@" /reg:32; }
# registry KEY VALUE: the text of a value.
registry() { setup_reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v {print $3}'; }
