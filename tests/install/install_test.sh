#!/bin/sh
# Installs the build into a temporary prefix and uses what was installed as a packager's user
# would (check_installed.sh).
#   install_test.sh BUILD_DIR
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/sonarium-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/usr" >/dev/null
mkdir "$work/check"
sh "$here/check_installed.sh" "$work/usr" "$work/check"
