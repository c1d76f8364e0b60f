# Sourced by the scripts that hand paths to Windows programs under Wine.
# windows PATH: the Unix path as Wine's Z: drive shows it ("/tmp/a" is "Z:\tmp\a").
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
