#!/bin/sh
# Installs what building, running and testing need, and builds the libraries that come as source:
#     setup.sh [build folder]   (default: build)
# Idempotent and quiet when all is there.
set -e
here=$(dirname "$(realpath "$0")")
build=${1:-build}
# dpkg-dev: dpkg-source, which unpacks the libjpeg-turbo source package.
packages="cmake make g++-mingw-w64-x86-64 wine64 xvfb xauth xdotool googletest imagemagick clang-format dpkg-dev"
missing=""
for p in $packages; do
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
"$here/build-libjpeg.sh" "$build/deps/libjpeg-turbo"
