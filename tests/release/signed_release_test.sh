#!/usr/bin/env bash
# signed_release_test.sh WIN32_BUILD_DIR
# scripts/release with a throwaway self-signed RSA certificate:
# - two signed releases made in two folders are identical (--verify);
# - osslsigncode accepts the signature of every signed file against the
#   certificate, and the signed binaries still pass the image checks (imports,
#   large-address-aware, manifest, no link time or build path);
# - the release rebuilt with the signatures attached (--attach) is identical
#   to the signed one (which checks the uninstaller's signature as well);
# - a work tree with changes is refused;
# - where this machine runs 32-bit code: the image tests beside the signed
#   binaries, and the installer test with the signed installer (a job through
#   the association run by the signed qor.exe, the installed uninstaller's
#   signature). Elsewhere one line says why not.
# Uses the win32 build for the test programs only; the releases are HEAD's.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:?usage: signed_release_test.sh WIN32_BUILD_DIR}" && pwd)
objdump=i686-w64-mingw32-objdump
tmp=$(mktemp -d "${TMPDIR:-/tmp}/qor-signed-test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

echo "== a work tree with changes is refused"
git clone -q "$root" "$tmp/clone" && echo "changed" >>"$tmp/clone/README.md"
"$tmp/clone/scripts/release" "$tmp/refused" >"$tmp/refused.log" 2>&1
status=$?
if [ $status -ne 0 ] && grep -q -- '--allow-dirty' "$tmp/refused.log" && [ ! -e "$tmp/refused/SHA256SUMS" ]; then
  ok "refused with status $status"
else
  fail "a work tree with changes was not refused (status $status): $(head -3 "$tmp/refused.log")"
fi

echo "== two signed releases"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=QOR Testsignatur" \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
  -keyout "$tmp/key.pem" -out "$tmp/cert.pem" >/dev/null 2>&1 || fail "no test certificate"
export QOR_SIGN_CERT=$tmp/cert.pem QOR_SIGN_KEY=$tmp/key.pem
unset QOR_SIGN_TIMESTAMP_URL
signed=$tmp/signed
"$root/scripts/release" --allow-dirty --verify "$signed" >"$tmp/verify.log" 2>&1 &&
  ok "$(grep '^identical' "$tmp/verify.log")" ||
  fail "two signed releases: $(grep -A3 -e 'first difference' -e 'failed' "$tmp/verify.log" | head -8)"

setup=$(cd "$signed" 2>/dev/null && ls qor-*-setup.exe 2>/dev/null)
zip=$(cd "$signed" 2>/dev/null && ls qor-*.zip 2>/dev/null)
[ -n "$setup" ] && [ -n "$zip" ] || { fail "no release in $signed"; cat "$tmp/verify.log"; exit 1; }
version=${zip#qor-} version=${version%.zip}
mkdir -p "$tmp/unzipped" && unzip -q "$signed/$zip" -d "$tmp/unzipped"
bin=$tmp/unzipped/qor-$version
(cd "$signed" && sha256sum -c --quiet SHA256SUMS) && ok "SHA256SUMS" || fail "SHA256SUMS do not match"

echo "== every signed file against the certificate"
for f in "$signed/$setup" "$bin/qor.exe" "$bin/qorcheck.exe" "$bin/qor_set_dll.dll"; do
  if osslsigncode verify -CAfile "$tmp/cert.pem" -in "$f" >"$tmp/v.log" 2>&1; then
    ok "signature of $(basename "$f")"
  else
    fail "signature of $(basename "$f"): $(tail -3 "$tmp/v.log" | tr '\n' ' ')"
  fi
  grep -q 'Signing time: .*GMT' "$tmp/v.log" || fail "no signing time in $(basename "$f")"
done
for name in "$setup" qor.exe qorcheck.exe qor_set_dll.dll uninstall.exe; do
  [ -s "$signed/signatures/$name.pem" ] || fail "no detached signature of $name"
done

echo "== the signed binaries' images"
bash "$root/tests/imports/check-imports" $objdump "$bin/qor.exe" "$root/tests/imports/qor.exe.allowed" || fail "imports of qor.exe"
bash "$root/tests/imports/check-imports" $objdump "$bin/qorcheck.exe" "$root/tests/imports/qorcheck.exe.allowed" || fail "imports of qorcheck.exe"
bash "$root/tests/imports/check-imports" $objdump "$bin/qor_set_dll.dll" "$root/tests/setup_dll/qor_set_dll.allowed" || fail "imports of qor_set_dll.dll"
bash "$here/check-release-image" $objdump "${TMPDIR:-/tmp}/qor-release." "${TMPDIR:-/tmp}/qor-release." "$bin"/*.exe "$bin"/*.dll || fail "release images"
for f in qor.exe qorcheck.exe; do
  grep -q 'large address aware' <<<"$($objdump -p "$bin/$f")" &&
    ok "$f is large-address-aware" || fail "$f is not large-address-aware"
  grep -q -a -F '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' "$bin/$f" &&
    ok "$f holds its manifest" || fail "$f holds no manifest"
done

echo "== the signatures attached to a rebuild"
QOR_SIGN_CAFILE=$tmp/cert.pem "$root/scripts/release" --allow-dirty --attach "$signed" "$tmp/attached" >"$tmp/attach.log" 2>&1 &&
  grep -q 'is identical to' "$tmp/attach.log" && ok "$(tail -1 "$tmp/attach.log" | sed "s|$tmp/||g; s|^== ||")" ||
  fail "attached: $(tail -6 "$tmp/attach.log")"

if why=$("$root/scripts/runs-32bit"); then
  echo "== the image tests beside the signed binaries"
  mkdir -p "$tmp/image" && cp "$bin/qor.exe" "$bin/qorcheck.exe" "$build/bin/program_image_tests.exe" "$tmp/image/"
  "$root/tests/harness/wine-session" "$build" wine "$tmp/image/program_image_tests.exe" >"$tmp/image.log" 2>&1 &&
    ok "program_image_tests with the signed binaries" || { fail "program_image_tests"; tail -20 "$tmp/image.log"; }
  echo "== the installer test with the signed installer"
  QOR_SETUP_CAFILE=$tmp/cert.pem bash "$root/tests/setup_dll/installer_test.sh" "$build" "$version" \
    "$signed/$setup" "$bin" || fail "the installer test with the signed installer"
else
  echo "== not run: the signed binaries under Wine (image tests, installer test), because $why."
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed ($SECONDS s)"
  exit 1
fi
echo "signed release test passed ($SECONDS s)"
