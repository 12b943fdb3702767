#!/bin/sh
# Installs what building, running and testing need. Idempotent and quiet when all is there.
set -e
packages="cmake make g++-mingw-w64-x86-64 wine64 xvfb xauth xdotool googletest imagemagick clang-format"
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
