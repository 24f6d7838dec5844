#!/usr/bin/env bash
# Checks the resources embedded in the executable: the manifest (type 24, id 1) asks for no
# elevation, names Vista to Windows 10/11, declares DPI awareness and common controls 6, keeps
# trustInfo in one namespace and carries the project version; the version resource carries
# the project version in its numbers and its FileVersion and ProductVersion strings.
# Usage: check_resources.sh WINDRES EXE PROJECT_VERSION ARCH [NAME] (ARCH: i686 or x86_64; NAME:
# the executable's own name, LaunchGate unless given)
set -euo pipefail
windres=$1 exe=$2 version=$3 arch=$4 name=${5:-LaunchGate}

rc=$("$windres" -J coff -i "$exe" -O rc) || { echo "no resources read from $exe"; exit 1; }
status=0
fail() { echo "$1: expected $2, found ${3:-nothing}"; status=1; }

# The project version as four numbers: 1.2.3 -> 1.2.3.0.
IFS=. read -r v1 v2 v3 v4 <<<"$version"
quad="${v1:-0}.${v2:-0}.${v3:-0}.${v4:-0}"
case $arch in i686) manifest_arch=x86 ;; x86_64) manifest_arch=amd64 ;; *) echo "unknown architecture $arch"; exit 2 ;; esac

# windres prints each resource as a block under a "1 TYPE" line; a manifest as string pieces
# with "" for a quote and \n for a line end. Rebuild the manifest's text from them.
block() { awk -v head="$1" '$0 ~ head { inblock = 1; next } inblock && /^END$/ { exit } inblock { print }' <<<"$rc"; }
manifest=$(block '^1 24( |$)' | sed -n 's/^[[:space:]]*"\(.*\)"[[:space:]]*$/\1/p' | sed 's/""/"/g' | tr -d '\n')
manifest=$(printf '%b' "$manifest")
if [ -z "$manifest" ]; then
  fail "manifest resource (type 24, id 1)" "present" "absent"
  manifest_checks=false
else
  manifest_checks=true
fi

want_in_manifest() {  # description, extended regular expression, what to show when missing
  $manifest_checks || return 0
  grep -qE -- "$2" <<<"$manifest" || fail "manifest: $1" "a match for $2" "$(grep -oE -- "$3" <<<"$manifest" | head -n1)"
}
want_in_manifest "own identity and version" \
  "<assemblyIdentity type=\"win32\" name=\"$name\" version=\"${quad//./\\.}\" processorArchitecture=\"$manifest_arch\"/>" \
  "<assemblyIdentity type=\"win32\" name=\"$name\"[^>]*>"
want_in_manifest "execution level" \
  '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' '<requestedExecutionLevel[^>]*>'
want_in_manifest "trustInfo in the one namespace XP reads" \
  '<trustInfo xmlns="urn:schemas-microsoft-com:asm\.v2">' '<[^>]*trustInfo[^>]*>'
for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  want_in_manifest "supported OS" "<supportedOS Id=\"\\{$os\\}\"/>" '<supportedOS[^>]*>'
done
want_in_manifest "DPI awareness" \
  '<dpiAware xmlns="http://schemas\.microsoft\.com/SMI/2005/WindowsSettings">true(/pm)?</dpiAware>' '<dpiAware [^>]*>[^<]*'
want_in_manifest "per-monitor DPI awareness" \
  '<dpiAwareness xmlns="http://schemas\.microsoft\.com/SMI/2016/WindowsSettings">PerMonitorV2' '<dpiAwareness[^>]*>[^<]*'
want_in_manifest "common controls 6" \
  '<assemblyIdentity type="win32" name="Microsoft\.Windows\.Common-Controls" version="6\.0\.0\.0" processorArchitecture="\*" publicKeyToken="6595b64144ccf1df" language="\*"/>' \
  '<assemblyIdentity[^>]*Common-Controls[^>]*>'
# No element in a prefixed namespace: the XP loader mishandles repeated namespace declarations.
if $manifest_checks && grep -qE '<[A-Za-z_]+:' <<<"$manifest"; then
  fail "manifest: prefixed elements" "none" "$(grep -oE '<[A-Za-z_]+:[A-Za-z]+' <<<"$manifest" | head -n1)"
fi

# The version resource.
versioninfo=$(block '^1 VERSIONINFO')
if [ -z "$versioninfo" ]; then
  fail "version resource (id 1)" "present" "absent"
  exit $status
fi
commas="${quad//./, }"
for f in FILEVERSION PRODUCTVERSION; do
  found=$(awk -v f="$f" '$1 == f { $1 = ""; sub(/^ /, ""); print; exit }' <<<"$versioninfo")
  [ "$found" = "$commas" ] || fail "$f" "$commas" "$found"
done
for f in FileVersion ProductVersion; do
  found=$(sed -n "s/^[[:space:]]*VALUE \"$f\", \"\(.*\)\"[[:space:]]*$/\1/p" <<<"$versioninfo")
  [ "$found" = "$version" ] || fail "$f" "$version" "$found"
done
for f in ProductName:LaunchGate OriginalFilename:$name.exe InternalName:$name; do
  name=${f%%:*} want=${f#*:}
  found=$(sed -n "s/^[[:space:]]*VALUE \"$name\", \"\(.*\)\"[[:space:]]*$/\1/p" <<<"$versioninfo")
  [ "$found" = "$want" ] || fail "$name" "$want" "$found"
done
for f in FileDescription CompanyName LegalCopyright; do
  grep -qE "^[[:space:]]*VALUE \"$f\"," <<<"$versioninfo" || fail "$f" "present" "absent"
done

[ $status -ne 0 ] || echo "$exe: manifest ($(printf %s "$manifest" | wc -c) bytes) and version $version present"
exit $status
