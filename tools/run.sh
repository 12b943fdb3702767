#!/bin/bash
# Starts Ordanel under Wine: run.sh <build dir>.
# Without WINEPREFIX it uses a private prefix under the build folder, seeded with demo entries;
# with WINEPREFIX it works on that prefix (cleaning a real Wine prefix), which it leaves as it is.
# Without a display it runs under Xvfb: it waits for the main window, saves a picture of that
# window, closes the program as a user would (Alt+F4) and fails unless the program ends with exit
# code 0.
set -e
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
exe=$build/app/Ordanel.exe
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Everything Wine does happens inside that display: the first Wine process of a session starts
# the desktop process, which must see the same display as the program.
if [ -z "$DISPLAY" ]; then
    export ORDANEL_SCREENSHOT=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$1"
fi

if [ -z "$WINEPREFIX" ]; then
    export WINEPREFIX=$build/demoprefix
    # Wine sees the Linux root as drive Z:.
    reg="Z:$(echo "$here/demo-entries.reg" | sed 's|/|\\|g')"
    "$here/winerun" "$WINEPREFIX" regedit /S "$reg"
else
    # The user's own prefix: winerun must not mark it or set it up.
    export ORDANEL_USER_PREFIX=1
fi

if [ -z "$ORDANEL_SCREENSHOT" ]; then
    exec "$here/winerun" "$WINEPREFIX" "$exe"
fi

shot=$build/ordanel-screenshot.png
"$here/winerun" "$WINEPREFIX" "$exe" &
pid=$!

. "$here/program-windows.sh"

window=""
for _ in $(seq 1 150); do
    window=$(largest_window)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if [ -z "$window" ]; then
    echo "run: the main window did not appear" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 1
shoot "$window" "$shot"
echo "Screenshot of the main window: $shot"

# Alt+F4, as a user closes it. Without a window manager xdotool cannot activate a window, but it
# can give it the keyboard; the program has just activated its window itself in any case.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then
    echo "run: the program did not end within 10 s of Alt+F4" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
fi
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ]; then
    echo "run: the program ended with exit code $status" >&2
    exit 1
fi
echo "The program closed on Alt+F4 and ended with exit code 0."
# Wine's desktop process belongs to this display: let it end before the display does.
timeout 15 /usr/lib/wine/wineserver -w 2>/dev/null || true
