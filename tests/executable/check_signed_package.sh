#!/usr/bin/env bash
# Builds the release package in a second build tree, signed with a code-signing certificate of
# a throwaway certificate authority and time-stamped by a throwaway RFC 3161 service on this
# machine, then checks every executable in it: both signatures (SHA-1, nested SHA-256) verify
# against that authority and name the signer, one changed byte fails verification, and without
# its signatures each is the unsigned executable the build made. Also: SHA256SUMS checks, and a
# missing or wrong password stops the package and leaves none behind.
# The keys live under SCRATCH_DIR only and are deleted at the end; the signed package stays
# in SCRATCH_DIR/package for the runs under Wine.
# Usage: check_signed_package.sh CMAKE GENERATOR SOURCE_DIR SCRATCH_DIR EXE [-DVAR=VALUE...]
set -euo pipefail
cmake=$1 generator=$2 source_dir=$3 scratch=$4 exe=$5
shift 5
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$scratch" && mkdir -p "$scratch/pki"
pki=$scratch/pki build=$scratch/build log=$scratch/log
status=0
fail() { echo "$1: expected $2, found ${3:-nothing}"; status=1; }
die() { cat "$log"; echo "$1"; exit 1; }
: >"$log"

# The throwaway authority, and the code-signing and time-stamping certificates it issued.
subject_ca="/CN=LaunchGate Throwaway Test CA"
subject_signer="/CN=LaunchGate Throwaway Publisher/O=LaunchGate Tests"
make_authority() { # NAME SUBJECT
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "$2" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    -keyout "$pki/$1.key" -out "$pki/$1.pem" >>"$log" 2>&1
}
issue() { # NAME SUBJECT EXTENDED_KEY_USAGE SERIAL
  openssl req -newkey rsa:2048 -nodes -subj "$2" -keyout "$pki/$1.key" -out "$pki/$1.csr" >>"$log" 2>&1
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$3" >"$pki/$1.ext"
  openssl x509 -req -in "$pki/$1.csr" -CA "$pki/ca.pem" -CAkey "$pki/ca.key" -set_serial "$4" \
    -days 2 -sha256 -extfile "$pki/$1.ext" -out "$pki/$1.pem" >>"$log" 2>&1
}
make_authority ca "$subject_ca" || die "could not make the throwaway authority"
make_authority other_ca "$subject_ca" || die "could not make the second throwaway authority"
issue signer "$subject_signer" codeSigning 2 || die "could not issue the code-signing certificate"
issue tsa "/CN=LaunchGate Throwaway Time Stamps" critical,timeStamping 3 ||
  die "could not issue the time-stamping certificate"
password=$(openssl rand -hex 16)
LAUNCHGATE_SIGNING_PASSWORD=$password openssl pkcs12 -export -inkey "$pki/signer.key" \
  -in "$pki/signer.pem" -passout env:LAUNCHGATE_SIGNING_PASSWORD -out "$pki/signer.pfx" >>"$log" 2>&1 ||
  die "could not make the PFX"

# The time-stamping service, on a port of its choosing.
echo 01 >"$pki/tsa_serial"
cat >"$pki/tsa.cnf" <<EOF
[ tsa ]
default_tsa = throwaway
[ throwaway ]
serial = tsa_serial
signer_cert = tsa.pem
signer_key = tsa.key
certs = ca.pem
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha1, sha256
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
python3 "$here/tsa_server.py" "$pki/tsa.cnf" >"$pki/tsa_port" 2>>"$log" &
tsa_pid=$!
trap 'kill $tsa_pid 2>/dev/null || true; rm -rf "$pki"' EXIT
for _ in $(seq 100); do [ -s "$pki/tsa_port" ] && break; sleep 0.1; done
[ -s "$pki/tsa_port" ] || die "the time-stamping service did not start"
tsa_url=http://127.0.0.1:$(cat "$pki/tsa_port")/

"$cmake" -S "$source_dir" -B "$build" -G "$generator" "$@" \
  "-DLAUNCHGATE_SIGNING_CERTIFICATE=$pki/signer.pfx" "-DLAUNCHGATE_TIMESTAMP_URL=$tsa_url" >>"$log" 2>&1 ||
  die "configure with the certificate failed"

LAUNCHGATE_SIGNING_PASSWORD=$password "$cmake" --build "$build" --target package >>"$log" 2>&1 ||
  die "the signed package failed"
zips=("$build"/*.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || die "expected one ZIP in $build, found: ${zips[*]}"
zip=${zips[0]}

sums=$(cd "$build" && sha256sum -c SHA256SUMS 2>&1) && rc=0 || rc=$?
[ "$rc" -eq 0 ] || fail "sha256sum -c SHA256SUMS" "success" "$sums"
[ "$sums" = "$(basename "$zip"): OK" ] || fail "SHA256SUMS" "one line for $(basename "$zip")" "$sums"

rm -rf "$scratch/package" && mkdir -p "$scratch/package"
(cd "$scratch/package" && "$cmake" -E tar xf "$zip")
mapfile -t packaged < <(find "$scratch/package" -type f -iname '*.exe' | sort)
[ ${#packaged[@]} -gt 0 ] || fail "executables in the package" "at least one" "none"

# The signing configuration leaves the build's own executable as it is without it.
cmp -s "$exe" "$build/$(basename "$exe")" ||
  fail "$build/$(basename "$exe")" "the same bytes as the unsigned $exe" "different bytes"

flip_byte() { # FILE OFFSET
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 0xFF)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

for signed in "${packaged[@]}"; do
  name=$(basename "$signed")
  out=$(osslsigncode verify -CAfile "$pki/ca.pem" -TSA-CAfile "$pki/ca.pem" -in "$signed" 2>&1) && rc=0 || rc=$?
  if [ "$rc" -ne 0 ]; then
    fail "$name: osslsigncode verify against the throwaway authority" "success" "exit status $rc:
$out"
    continue
  fi
  grep -q "Subject: $subject_signer\$" <<<"$out" || fail "$name" "the signer $subject_signer named" "none"
  # The digest of each signature, by its index: the primary SHA-1, the nested SHA-256.
  digests=$(awk '/^Signature Index:/ { index_ = $3 } /^Message digest algorithm  :/ { print index_ ":" $NF }' <<<"$out")
  [ "$(echo $digests)" = "0:SHA1 1:SHA256" ] ||
    fail "$name: signatures" "0:SHA1 1:SHA256 (primary SHA-1, nested SHA-256)" "$(echo $digests)"
  grep -q "^Number of verified signatures: 2$" <<<"$out" || fail "$name" "2 verified signatures" "$(grep 'Number of' <<<"$out")"
  stamped=$(grep -c "^Timestamp Server Signature verification: ok$" <<<"$out" || true)
  [ "$stamped" = 2 ] || fail "$name: time stamps verified" "2" "$stamped"

  osslsigncode verify -CAfile "$pki/other_ca.pem" -TSA-CAfile "$pki/other_ca.pem" -in "$signed" >>"$log" 2>&1 &&
    fail "$name: verify against another authority" "a failure" "success"

  osslsigncode remove-signature -in "$signed" -out "$scratch/unsigned-$name" >>"$log" 2>&1 ||
    fail "$name: remove-signature" "success" "a failure"
  cmp -s "$scratch/unsigned-$name" "$build/$name" ||
    fail "$name without its signatures" "the same bytes as $build/$name" "different bytes"

  cp "$signed" "$scratch/changed-$name"
  flip_byte "$scratch/changed-$name" $(($(stat -c %s "$build/$name") / 2))
  cmp -s "$signed" "$scratch/changed-$name" && fail "$name: the changed copy" "one byte changed" "the same bytes"
  osslsigncode verify -CAfile "$pki/ca.pem" -TSA-CAfile "$pki/ca.pem" -in "$scratch/changed-$name" >>"$log" 2>&1 &&
    fail "$name with one byte changed: verify" "a failure" "success"
  rm -f "$scratch/unsigned-$name" "$scratch/changed-$name"
  [ $status -ne 0 ] || echo "$name: SHA-1 and nested SHA-256 signatures by ${subject_signer}, time-stamped, verified"
done

# Without the right password, no package, and none left from before.
for wrong in unset "not-the-password"; do
  if [ "$wrong" = unset ]; then
    out=$(env -u LAUNCHGATE_SIGNING_PASSWORD "$cmake" --build "$build" --target package 2>&1) && rc=0 || rc=$?
  else
    out=$(LAUNCHGATE_SIGNING_PASSWORD=$wrong "$cmake" --build "$build" --target package 2>&1) && rc=0 || rc=$?
  fi
  echo "$out" >>"$log"
  [ "$rc" -ne 0 ] || fail "package with the password $wrong" "a failure" "success"
  left=$(ls "$zip" "$build/SHA256SUMS" 2>/dev/null || true)
  [ -z "$left" ] || fail "package with the password $wrong" "no ZIP and no SHA256SUMS" "$(echo $left)"
done
grep -q "set the environment variable LAUNCHGATE_SIGNING_PASSWORD" "$log" ||
  fail "package without a password" "a message naming LAUNCHGATE_SIGNING_PASSWORD" "none"

if [ $status -ne 0 ]; then cat "$log"; else echo "$(basename "$zip"): $sums"; rm -rf "$build" "$log"; fi
exit $status
