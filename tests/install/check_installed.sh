#!/bin/sh
# Uses an installed sonarium as its user would: the command line from its own folder, the manual
# pages, the desktop entry and AppStream file, the icons, and the editor started offscreen on a
# file named on its command line, with the shipped files found beside it.
#   check_installed.sh PREFIX WORK_DIR
# PREFIX holds bin/, lib/ and share/ (/usr for the package); WORK_DIR is an empty folder for the
# audio root, the files written here and the editor's settings.
set -eu
prefix=$1
work=$2
fail() { echo "installed: $*" >&2; exit 1; }

for f in bin/sonarium bin/sonarium-cli \
    share/sonarium/res/suffix.rc2 share/sonarium/res/prefs.snp \
    share/sonarium/help/_english.html share/sonarium/help/EFFVOL_1.0_francais.html \
    share/applications/sonarium.desktop share/metainfo/org.sonarium.sonarium.metainfo.xml \
    share/man/man1/sonarium-cli.1.gz share/man/man1/sonarium.1.gz \
    share/icons/hicolor/48x48/apps/sonarium.png share/icons/hicolor/256x256/apps/sonarium.png \
    share/icons/hicolor/scalable/apps/sonarium.svg \
    share/doc/sonarium/copyright share/doc/sonarium/changelog.gz; do
    [ -e "$prefix/$f" ] || fail "$f was not installed"
done
# The picture module, in the system's folder for a package's private modules.
module=$(find "$prefix/lib" -path '*/sonarium/sonarium-png.so')
[ -n "$module" ] || fail "the picture module was not installed"

# Both programs and every file that names the version give the same one.
cli="$prefix/bin/sonarium-cli"
editor="$prefix/bin/sonarium"
version=$("$cli" --version | sed -n 's/^sonarium-cli \([0-9][0-9.]*\)$/\1/p')
[ -n "$version" ] || fail "sonarium-cli --version printed no version"
[ "$("$editor" --version)" = "sonarium $version" ] || fail "the editor's version is not $version"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/org.sonarium.sonarium.metainfo.xml" ||
    fail "the AppStream release is not $version"
zcat "$prefix/share/doc/sonarium/changelog.gz" | head -n 1 | grep -qF "sonarium ($version)" ||
    fail "the changelog's entry is not $version"

export SONARIUM_ROOT="$work/root"
"$cli" list | grep -q '^volume ' || fail "list has no volume"
# A Volume on a file written here (a second of a ramp, long enough for the editor to show), with
# the trailer the installed resources hold.
python3 - "$work/in.wav" <<'PY'
import struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(struct.pack("<44100h", *[(i * 37) % 20000 - 10000 for i in range(44100)]))
PY
"$cli" volume --ratio 50 "$work/in.wav" -o "$work/out.wav" || fail "volume failed"
[ -s "$work/out.wav" ] || fail "volume wrote nothing"
# The picture is drawn by the module the installed command line finds from its own folder; the
# command line itself starts without Qt.
"$cli" peaks "$work/out.wav" --png "$work/out.png" >/dev/null || fail "peaks --png failed"
head -c 8 "$work/out.png" | od -An -c | grep -q 'P   N   G' || fail "peaks wrote no PNG"
if ldd "$cli" | grep -q libQt6; then fail "sonarium-cli loads Qt at start-up"; fi

# The manual pages render without a warning; the metadata files validate.
for page in sonarium-cli sonarium; do
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns on $page: $warnings"
done
desktop-file-validate "$prefix/share/applications/sonarium.desktop" ||
    fail "the desktop entry does not validate"
# --no-net: the screenshot and home page are checked as written, not fetched.
appstreamcli validate --pedantic --no-net \
    "$prefix/share/metainfo/org.sonarium.sonarium.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "the AppStream file does not validate"; }
# Pedantic hints do not fail appstreamcli; here they do.
if grep -q '^[EWIP]:' "$work/appstream.log"; then
    cat "$work/appstream.log" >&2
    fail "appstreamcli has remarks on the AppStream file"
fi

# The editor, offscreen, with the splash turned off in its preferences: it copies the shipped
# files from beside itself under the audio root and opens the file named on its command line,
# which then heads its recent-file list (written to its settings as soon as a file opens).
mkdir -p "$SONARIUM_ROOT/sonarium/res" "$work/home" "$work/config"
python3 - "$prefix/share/sonarium/res/prefs.snp" "$SONARIUM_ROOT/sonarium/res/prefs.snp" <<'PY'
import sys
prefs = bytearray(open(sys.argv[1], "rb").read())
prefs[512] |= 1 << 2  # no splash
open(sys.argv[2], "wb").write(prefs)
PY
settings="$work/config/sonarium/sonarium.conf"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen \
    "$editor" "$work/in.wav" >"$work/gui.log" 2>&1 &
pid=$!
i=0
until grep -qF "$work/in.wav" "$settings" 2>/dev/null; do
    if ! kill -0 "$pid" 2>/dev/null; then
        cat "$work/gui.log" >&2
        fail "the editor ended before opening the file"
    fi
    i=$((i + 1))
    [ "$i" -le 300 ] || { kill "$pid"; fail "the editor did not open the file in 30 s"; }
    sleep 0.1
done
kill "$pid"
wait "$pid" 2>/dev/null || true
[ -f "$SONARIUM_ROOT/sonarium/res/suffix.rc2" ] || fail "the editor did not find its resources"
echo "installed: passed ($prefix, version $version)"
