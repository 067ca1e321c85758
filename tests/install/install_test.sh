#!/bin/sh
# Installs the build into a temporary prefix and uses what was installed as a packager's user
# would: the command line from its own folder, its manual page, the desktop entry, the icons, and
# the editor started offscreen with the shipped files found beside it.
#   install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/sonarium-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix/usr" >/dev/null
# The help pages are written by the build (none are in the source tree) and installed from it.
for f in bin/sonarium bin/sonarium-cli share/sonarium/res/suffix.rc2 \
    share/sonarium/help/_english.html share/sonarium/help/EFFVOL_1.0_francais.html \
    share/applications/sonarium.desktop share/man/man1/sonarium-cli.1 \
    share/icons/hicolor/48x48/apps/sonarium.png share/icons/hicolor/256x256/apps/sonarium.png \
    share/icons/hicolor/scalable/apps/sonarium.svg lib/sonarium/sonarium-png.so; do
    [ -e "$prefix/usr/$f" ] || fail "$f was not installed"
done

export SONARIUM_ROOT="$prefix/root"
cli="$prefix/usr/bin/sonarium-cli"
"$cli" --version | grep -q '^sonarium-cli [0-9]' || fail "no version"
"$cli" list | grep -q '^volume ' || fail "list has no volume"
# A Volume on a file written here, with the trailer the installed resources hold.
python3 - "$prefix/in.wav" <<'PY'
import struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(struct.pack("<4h", 100, -100, 2000, -2000))
PY
"$cli" volume --ratio 50 "$prefix/in.wav" -o "$prefix/out.wav" || fail "volume failed"
[ -s "$prefix/out.wav" ] || fail "volume wrote nothing"
# The picture is drawn by the module the installed command line finds in lib/sonarium; the
# command line itself starts without Qt.
"$cli" peaks "$prefix/out.wav" --png "$prefix/out.png" >/dev/null || fail "peaks --png failed"
head -c 8 "$prefix/out.png" | od -An -c | grep -q 'P   N   G' || fail "peaks wrote no PNG"
if ldd "$cli" | grep -q libQt6; then fail "sonarium-cli loads Qt at start-up"; fi

# The manual page renders without a warning.
warnings=$(MANWIDTH=80 man --warnings -l "$prefix/usr/share/man/man1/sonarium-cli.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns: $warnings"
desktop-file-validate "$prefix/usr/share/applications/sonarium.desktop" ||
    fail "the desktop entry does not validate"

# The editor, offscreen: it installs the shipped files from beside itself under the audio root
# and keeps running (it waits at its splash) until stopped.
rm -rf "$SONARIUM_ROOT"
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/usr/bin/sonarium" "$prefix/in.wav" \
    >"$prefix/gui.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$prefix/gui.log" >&2; fail "the editor ended with $status"; }
[ -f "$SONARIUM_ROOT/sonarium/res/suffix.rc2" ] || fail "the editor did not find its resources"
[ -f "$SONARIUM_ROOT/sonarium/help/EFFVOL_1.0_english.html" ] ||
    fail "the editor did not find its help pages"
echo "install test: passed"
