#!/bin/bash
# Runs a command with one Wine server kept alive for a private prefix, under Xvfb when there is no
# display: under-wine.sh <prefix> <command...>. The server is stopped at the end, which also writes
# the prefix's registry files.
set -e
prefix=$(realpath -m "$1")
shift
here=$(dirname "$(realpath "$0")")
if [ -z "$DISPLAY" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$prefix" "$@"
fi
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w 2>/dev/null || true
/usr/lib/wine/wineserver -p
"$here/winerun" "$WINEPREFIX" cmd /c exit >/dev/null 2>&1 || true
set +e
"$@"
rc=$?
/usr/lib/wine/wineserver -k 2>/dev/null
/usr/lib/wine/wineserver -w 2>/dev/null
exit $rc
