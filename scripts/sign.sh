#!/bin/sh
# sign.sh FILE: signs a Windows program (Authenticode, SHA-256) in place, so that the
# elevation prompt names the publisher and a kit made with /layout carries the signature.
#   KELVANO_SIGN_PKCS12     the PKCS#12 file with the code-signing certificate and its key
#   KELVANO_SIGN_PASSWORD   the password of that file
#   KELVANO_SIGN_TIMESTAMP  optional: the URL of an RFC 3161 time-stamp server, so that the
#                           signature stays valid after the certificate expires
# The build never signs: the key is the vendor's and never in the repository.
# Check a signed file with: osslsigncode verify -in FILE
set -eu
[ $# -eq 1 ] || { echo "usage: $0 FILE" >&2; exit 2; }
file=$1
[ -f "$file" ] || { echo "sign.sh: no file $file" >&2; exit 2; }
: "${KELVANO_SIGN_PKCS12:?names the PKCS#12 file with the certificate and key}"
: "${KELVANO_SIGN_PASSWORD:?holds the password of $KELVANO_SIGN_PKCS12}"
[ -r "$KELVANO_SIGN_PKCS12" ] || { echo "sign.sh: cannot read $KELVANO_SIGN_PKCS12" >&2; exit 2; }
command -v osslsigncode >/dev/null || { echo "sign.sh: osslsigncode is missing (scripts/install-deps.sh)" >&2; exit 2; }

signed="$file.signing"
trap 'rm -f "$signed"' EXIT
set -- -pkcs12 "$KELVANO_SIGN_PKCS12" -readpass - -h sha256
[ -z "${KELVANO_SIGN_TIMESTAMP:-}" ] || set -- "$@" -ts "$KELVANO_SIGN_TIMESTAMP"
# The password goes through a pipe, never on a command line that others can read.
printf '%s' "$KELVANO_SIGN_PASSWORD" | osslsigncode sign "$@" -in "$file" -out "$signed" >/dev/null
chmod --reference="$file" "$signed"
mv -f "$signed" "$file"
echo "signed $file"
