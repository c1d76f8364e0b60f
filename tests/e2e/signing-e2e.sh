#!/bin/sh
# signing-e2e.sh SETUP_EXE WINE_RUN WORK: a copy of Setup.exe signed by scripts/sign.sh
# with a throwaway code-signing certificate verifies against that certificate, a copy
# changed after signing does not, and the signed copy still starts from a kit.
set -eu
setup=$1 wine_run=$2 work=$3
here=$(dirname "$0")
rm -rf "$work"
mkdir -p "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kelvano Test Publisher" \
  -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/publisher.p12" -passout pass:throwaway
cp "$setup" "$work/Setup.exe"
KELVANO_SIGN_PKCS12="$work/publisher.p12" KELVANO_SIGN_PASSWORD=throwaway "$here/../../scripts/sign.sh" "$work/Setup.exe"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/Setup.exe" > "$work/verify.txt" 2>&1 ||
  { cat "$work/verify.txt"; echo "signing-e2e: the signed copy does not verify" >&2; exit 1; }
grep -q "Signature verification: ok" "$work/verify.txt" || { cat "$work/verify.txt"; exit 1; }

cp "$work/Setup.exe" "$work/changed.exe"
printf 'X' | dd of="$work/changed.exe" bs=1 seek=1024 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1; then
  echo "signing-e2e: a copy changed after signing still verifies" >&2
  exit 1
fi

"$here/setup-starts.sh" "$work/Setup.exe" "$wine_run" "$work/kit"
