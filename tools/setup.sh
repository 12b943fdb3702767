#!/bin/sh
# Installs what a command needs, and builds the libraries that come as source:
#     setup.sh <build folder> [<purpose>...]
# Purposes: run (build and start the program under Wine, with screenshots when there is no
# display), test and bench (build everything and run it under Wine and Xvfb; the default), dist
# (build the program and pack the release), format (clang-format only). Idempotent and quiet when all is there.
set -e
here=$(dirname "$(realpath "$0")")
build=${1:?usage: setup.sh <build folder> [<purpose>...]}
shift
[ $# -gt 0 ] || set -- test
# dpkg-dev: dpkg-source, which unpacks the libjpeg-turbo source package. googletest: the build
# configures the tests whatever it builds. zip: packs the release (a test checks it too). fonts-wine: the fonts that tools/winerun puts into the
# prefixes it makes.
building="cmake make g++-mingw-w64-x86-64 googletest dpkg-dev zip"
wine="wine64 fonts-wine xvfb xauth"
packages=""
jpeg=""
for purpose in "$@"; do
    case $purpose in
    run) packages="$packages $building $wine xdotool imagemagick"; jpeg=1 ;;
    test | bench) packages="$packages $building $wine"; jpeg=1 ;;
    dist) packages="$packages $building"; jpeg=1 ;;
    format) packages="$packages clang-format" ;;
    *) echo "setup: unknown purpose $purpose" >&2; exit 2 ;;
    esac
done
missing=""
for p in $(printf '%s\n' $packages | sort -u); do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "setup: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq $missing >/dev/null
fi
# The JPEG decoder, linked statically into the programs (CMake finds it there).
if [ -n "$jpeg" ]; then
    "$here/build-libjpeg.sh" "$build/deps/libjpeg-turbo"
fi
