#!/bin/bash
# Starts Ordanel under Wine: run.sh <build dir>.
# Without WINEPREFIX it uses a private prefix under the build folder, seeded with demo entries;
# with WINEPREFIX it works on that prefix (cleaning a real Wine prefix). Without a display it runs
# under Xvfb, saves a screenshot of the window and prints the file's path.
set -e
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
exe=$build/app/Ordanel.exe
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# No display: run under Xvfb, wait for the main window, take a screenshot, close the program.
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
    # The user's own prefix: winerun must not mark it as a test prefix.
    export ORDANEL_USER_PREFIX=1
fi

if [ -z "$ORDANEL_SCREENSHOT" ]; then
    exec "$here/winerun" "$WINEPREFIX" "$exe"
fi
shot=$build/ordanel-screenshot.png
"$here/winerun" "$WINEPREFIX" "$exe" &
pid=$!
window=""
for _ in $(seq 1 150); do
    window=$(xdotool search --onlyvisible --classname 'ordanel.exe' 2>/dev/null | tail -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.2
done
if [ -z "$window" ]; then
    echo "run: the main window did not appear" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 1
import -window root "$shot"
echo "Screenshot of the main window: $shot"
# Close the main window as a user would (Alt+F4), then wait for the program to end.
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4 2>/dev/null || true
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
fi
wait "$pid" 2>/dev/null || true
