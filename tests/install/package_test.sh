#!/bin/sh
# Checks the Debian package as users meet it: lintian finds no error in it, apt-get installs it
# into this machine, the installed programs, manual pages and metadata work from /usr
# (check_installed.sh), and apt-get remove takes every file of it away again.
#   package_test.sh PATH/sonarium_VERSION_ARCH.deb
# Needs root or sudo. A sonarium package already installed here is left alone: the check is
# skipped (exit 77) rather than replacing and then removing it.
set -eu
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "package: $*" >&2; exit 1; }
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
# Waits for another apt or dpkg run on this machine rather than failing on its lock.
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 -y "$@"; }

installed_status() { dpkg-query -W -f='${db:Status-Status}' sonarium 2>/dev/null || true; }
if [ "$(installed_status)" = installed ]; then
    echo "package: SKIPPED, a sonarium package is installed on this machine already"
    exit 77
fi

dpkg-deb --field "$deb" Package Version Architecture Depends Recommends Suggests
echo "Installed-Size: $(dpkg-deb --field "$deb" Installed-Size) KiB, file: $(du -k "$deb" | cut -f1) KiB"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports an error"

work=$(mktemp -d "${TMPDIR:-/tmp}/sonarium-package.XXXXXX")
cleanup() {
    [ "$(installed_status)" = not-installed ] || [ -z "$(installed_status)" ] ||
        apt_get purge sonarium >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
apt_get install "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "apt-get install failed"; }
[ "$(installed_status)" = installed ] || fail "apt-get did not install sonarium"
dpkg-query -L sonarium >"$work/files"

mkdir "$work/check"
sh "$here/check_installed.sh" /usr "$work/check"
# Found by name, as a user asks for them.
[ "$(command -v sonarium-cli)" = /usr/bin/sonarium-cli ] || fail "sonarium-cli is not on PATH"
for page in sonarium-cli sonarium; do
    [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man does not find $page"
    MANWIDTH=80 man "$page" | grep -q "^NAME" || fail "man $page shows no page"
done

apt_get remove sonarium >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; fail "apt-get remove failed"; }
# The package has no configuration files, so removing it leaves no trace in dpkg either.
status=$(installed_status)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "dpkg still knows sonarium ($status)"
left=""
while IFS= read -r path; do
    [ "$path" = /. ] && continue
    # Folders shared with other packages (/usr/bin, the icon theme's) stay; the package's own go.
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        dpkg-query -S "$path" >/dev/null 2>&1 && continue
        [ -n "$(ls -A "$path" 2>/dev/null)" ] && continue
    fi
    [ -e "$path" ] || [ -L "$path" ] && left="$left $path"
done <"$work/files"
[ -z "$left" ] || fail "left behind:$left"
for dir in /usr/share/sonarium /usr/share/doc/sonarium $(sed -n 's|/sonarium-png.so$||p' "$work/files"); do
    [ ! -e "$dir" ] || fail "left behind: $dir"
done
# The desktop database no longer offers the editor for wave files.
if grep -qs 'sonarium\.desktop' /usr/share/applications/mimeinfo.cache; then
    fail "the desktop's MIME cache still names sonarium.desktop"
fi
echo "package: passed ($(basename "$deb") installed, used and removed)"
