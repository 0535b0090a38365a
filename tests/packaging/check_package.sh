#!/usr/bin/env bash
# Checks a built Debian package: unpacks it into a temporary root with
# dpkg -x, looks at what it installs and at its Depends line, and runs the
# installed kvetro-cli on sample MZF files made here. Each WAV is read back
# into tape blocks by decode_tape_wave.py and must be byte for byte what the
# build tree's kvetro-cli writes.
#   check_package.sh PACKAGE.deb BUILD_TREE_KVETRO_CLI VERSION
# Prints one line; exits 0 when everything holds, 1 otherwise.
set -uo pipefail

deb="$1"
built_cli="$2"
version="$3"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/kvetro-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT

fail() {
  echo "package check FAILED: $*"
  exit 1
}

# What the package says it needs.
depends="$(dpkg-deb -f "$deb" Depends)" || fail "cannot read the control file of $deb"
[[ "$depends" == *libc6* && "$depends" == *libstdc++6* ]] ||
  fail "Depends lacks libc6 or libstdc++6: '$depends'"

root="$work/root"
dpkg -x "$deb" "$root" || fail "dpkg -x $deb"
cli="$root/usr/bin/kvetro-cli"
[ -x "$cli" ] || fail "no usr/bin/kvetro-cli in the package"

man="$root/usr/share/man/man1/kvetro-cli.1.gz"
gzip -t "$man" 2>/dev/null || fail "no valid usr/share/man/man1/kvetro-cli.1.gz"
zcat "$man" | grep -q "^\.TH KVETRO-CLI 1 .*Kvetro $version" ||
  fail "the manual page does not carry the title line of version $version"

doc="$root/usr/share/doc/kvetro"
head -n 1 "$doc/copyright" 2>/dev/null | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
  fail "no machine-readable usr/share/doc/kvetro/copyright"
zcat "$doc/changelog.gz" 2>/dev/null | head -n 1 | grep -q "^kvetro ($version) " ||
  fail "usr/share/doc/kvetro/changelog.gz does not start with version $version"

if [ -e "$root/usr/bin/kvetro" ]; then
  zcat "$root/usr/share/man/man1/kvetro.1.gz" 2>/dev/null | grep -q "^\.TH KVETRO 1 .*Kvetro $version" ||
    fail "no manual page usr/share/man/man1/kvetro.1.gz of version $version"
  [[ "$depends" == *libqt6widgets6* ]] || fail "the window is packed but Depends lacks Qt 6 Widgets"
  for file in usr/share/applications/kvetro.desktop \
              usr/share/icons/hicolor/scalable/apps/kvetro.svg \
              usr/share/mime/packages/kvetro.xml; do
    [ -s "$root/$file" ] || fail "no $file in the package"
  done
  if command -v desktop-file-validate >/dev/null; then
    problems="$(desktop-file-validate "$root/usr/share/applications/kvetro.desktop" 2>&1)" ||
      fail "desktop-file-validate: $problems"
  fi
  grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/kvetro.svg" || fail "the icon is no SVG"
  # A file manager opens the installed MZF type with the window, one file each.
  entry="$root/usr/share/applications/kvetro.desktop"
  mime_type="$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$root/usr/share/mime/packages/kvetro.xml")"
  grep -qx 'Exec=kvetro %f' "$entry" || fail "the desktop entry does not run 'kvetro %f'"
  grep -qx "MimeType=$mime_type;" "$entry" || fail "the desktop entry does not open $mime_type"
fi

got_version="$("$cli" --version)" || fail "kvetro-cli --version exited $?"
[ "$got_version" = "kvetro-cli $version" ] || fail "--version says '$got_version'"

python3 "$here/make_sample_mzf.py" "$work/sample.mzf" --size 300 || fail "making the sample MZF"
# Short of 218 bytes, so that the loader's last parameter bytes come from
# outside the file.
python3 "$here/make_sample_mzf.py" "$work/short.mzf" --size 40 --load 0x2000 --start 0x2345 \
  --seed 7 || fail "making the short sample MZF"

cases=0
convert_and_compare() {
  local mzf="$1"
  shift
  local name
  name="$(basename "$mzf" .mzf)-$cases"
  "$cli" "$@" "$mzf" "$work/$name-installed.wav" || fail "installed kvetro-cli $* exited $?"
  "$built_cli" "$@" "$mzf" "$work/$name-built.wav" || fail "build-tree kvetro-cli $* exited $?"
  cmp -s "$work/$name-installed.wav" "$work/$name-built.wav" ||
    fail "installed and build-tree kvetro-cli differ for ${*:-the defaults} on $(basename "$mzf")"
  decoded="$(python3 "$here/decode_tape_wave.py" "$@" "$mzf" "$work/$name-installed.wav")" ||
    fail "the WAV of $* $(basename "$mzf") does not decode"
  cases=$((cases + 1))
}

convert_and_compare "$work/sample.mzf"
default_line="$decoded"
convert_and_compare "$work/sample.mzf" --zero 2,2 --one 4,5 --constant 200 --loader-gap 100 \
  --body-gap 0
convert_and_compare "$work/short.mzf" --invert --zero 1,1 --one 1,2 --loader-gap 0 --body-gap 3

# --info foretells the size of the WAV that the conversion writes.
info="$("$cli" --info "$work/sample.mzf")" || fail "kvetro-cli --info exited $?"
wav_size="$(stat -c %s "$work/sample-0-installed.wav")"
grep -Eq "^WAV file: +$wav_size bytes$" <<<"$info" ||
  fail "--info does not foretell the $wav_size bytes written: $info"

# Standard output carries the same bytes as a file.
"$cli" "$work/sample.mzf" - >"$work/stdout.wav" || fail "kvetro-cli to standard output exited $?"
cmp -s "$work/stdout.wav" "$work/sample-0-installed.wav" || fail "standard output differs from the file"

# The reading back must be able to fail: one sample changed is caught.
python3 - "$work/sample-0-installed.wav" "$work/damaged.wav" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[len(data) // 2] ^= 0xE0
open(sys.argv[2], "wb").write(data)
PY
if python3 "$here/decode_tape_wave.py" "$work/sample.mzf" "$work/damaged.wav" 2>/dev/null; then
  fail "a damaged WAV decoded as good"
fi

# A refused input leaves no file and exits 1; a usage error exits 2. One
# image of 65536 bytes: its header's size field holds all the rest.
python3 - "$work/huge.mzf" <<'PY'
import sys
body = 65536 - 128
header = bytes([0x01]) + b"HUGE\r" + bytes(12) + body.to_bytes(2, "little") + bytes(128 - 20)
open(sys.argv[1], "wb").write(header + bytes(body))
PY
"$cli" "$work/huge.mzf" "$work/huge.wav" 2>"$work/huge.err"
status=$?
[ "$status" -eq 1 ] || fail "a 65536-byte input exited $status, not 1"
[ ! -e "$work/huge.wav" ] || fail "a refused input left a WAV behind"
grep -q "File must be smaller than 64KB" "$work/huge.err" || fail "a 65536-byte input said: $(cat "$work/huge.err")"
"$cli" --zero 0,1 "$work/sample.mzf" "$work/usage.wav" 2>/dev/null
status=$?
[ "$status" -eq 2 ] || fail "--zero 0,1 exited $status, not 2"

echo "package check passed: $(basename "$deb"), $cases conversions decoded and equal to the build tree's; defaults: $default_line"
