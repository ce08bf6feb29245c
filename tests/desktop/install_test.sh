#!/usr/bin/env bash
# Installs the build into a fresh folder and checks what a desktop reads
# from it:  install_test.sh BUILD_DIR INSTALL_ROOT APP_ID VERSION
set -uo pipefail
build="$1" root="$2" id="$3" version="$4"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is not installed (scripts/setup.sh installs it)"; exit 1; }; }
need desktop-file-validate
need appstreamcli
need groff
need update-mime-database

rm -rf "$root"
cmake --install "$build" --prefix "$root" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

for f in bin/mottler bin/mottler-render bin/mottler-compose \
         share/mottler/help/index.html share/mottler/help/command-line.html \
         share/mottler/help/commands.html share/mottler/help/images/window-start.png \
         "share/applications/$id.desktop" share/mime/packages/mottler.xml \
         "share/metainfo/$id.metainfo.xml" \
         "share/icons/hicolor/scalable/apps/$id.svg" \
         share/icons/hicolor/scalable/mimetypes/application-x-mottler-program.svg \
         share/man/man1/mottler.1.gz share/man/man1/mottler-render.1.gz \
         share/man/man1/mottler-compose.1.gz \
         share/doc/mottler/copyright share/doc/mottler/changelog.gz \
         share/lintian/overrides/mottler; do
  [ -s "$root/$f" ] || fail "$f is missing"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -s "$png" ] || { fail "no ${size}px icon"; continue; }
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  dims="$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')"
  [ "$dims" = " 0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ] ||
    fail "$png is not ${size}x${size} ($dims)"
done
# Only the three programs are installed, none of the build's helpers.
extra="$(ls "$root/bin" | grep -vxE 'mottler|mottler-render|mottler-compose')"
[ -z "$extra" ] || fail "unexpected programs in bin/: $extra"

desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -qx "Exec=mottler %f" "$root/share/applications/$id.desktop" || fail "Exec line"
grep -qx "MimeType=application/x-mottler-program;" "$root/share/applications/$id.desktop" ||
  fail "MimeType line"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli validate"

for page in mottler mottler-render mottler-compose; do
  warnings="$(zcat "$root/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)"
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  zcat "$root/share/man/man1/$page.1.gz" | grep -q '^\.SH EXIT STATUS' || fail "$page.1 has no EXIT STATUS"
done

update-mime-database "$root/share/mime" >/dev/null || fail "update-mime-database"

# The copyright file in Debian's machine-readable form, and a changelog whose
# newest entry is this version (NEWS.md needs a section for every release).
head -1 "$root/share/doc/mottler/copyright" |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not in the machine-readable format"
grep -qx 'License: Expat' "$root/share/doc/mottler/copyright" || fail "copyright names no licence"
first="$(zcat "$root/share/doc/mottler/changelog.gz" | head -1)"
[ "$first" = "mottler ($version) unstable; urgency=medium" ] ||
  fail "the changelog's newest entry is '$first', not $version: add a section to NEWS.md"

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "installed tree in $root is complete"
