#!/bin/bash
# Takes the README's pictures: screenshots.sh <build dir> [<output dir, default docs>]
# Runs Ordanel under Xvfb in a private prefix seeded with the demo entries, with the visual style
# on, and saves the main window (an entry selected) and the warning dialog as PNGs. Run it from
# the repository after changing how a window looks; the pictures are committed.
set -e
build=$(realpath "$1")
out=$(realpath -m "${2:-docs}")
here=$(dirname "$(realpath "$0")")
exe=$build/app/Ordanel.exe
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "$ORDANEL_SHOTS_DISPLAY" ]; then
    # xdotool and ImageMagick, which only running the program needs.
    "$here/setup.sh" "$build" run
    export ORDANEL_SHOTS_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

export WINEPREFIX=$build/shotprefix
reg="Z:$(echo "$here/demo-entries.reg" | sed 's|/|\\|g')"
"$here/winerun" "$WINEPREFIX" regedit /S "$reg"
theme='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
"$here/winerun" "$WINEPREFIX" reg add "$theme" /v ThemeActive /d 1 /f >/dev/null
"$here/winerun" "$WINEPREFIX" reg add "$theme" /v DllName \
    /d 'C:\windows\resources\themes\light\light.msstyles' /f >/dev/null
mkdir -p "$out"

. "$here/program-windows.sh"

"$here/winerun" "$WINEPREFIX" "$exe" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
main=""
for _ in $(seq 1 150); do
    main=$(largest_window)
    [ -n "$main" ] && break
    sleep 0.2
done
[ -n "$main" ] || { echo "screenshots: the main window did not appear" >&2; exit 1; }
sleep 1
# The tree has the focus: select the first entry below "Entire System".
xdotool windowfocus "$main" 2>/dev/null || true
xdotool key Down
sleep 0.5
shoot "$main" "$out/main-window.png"
echo "screenshots: $out/main-window.png"
# Shift+Tab reaches Remove (first in tab order), Enter presses it; the dialog opens.
xdotool key shift+Tab Return
dialog=""
for _ in $(seq 1 50); do
    dialog=$(largest_window "$main")
    [ -n "$dialog" ] && break
    sleep 0.2
done
[ -n "$dialog" ] || { echo "screenshots: the dialog did not appear" >&2; exit 1; }
sleep 1
shoot "$dialog" "$out/warning-dialog.png"
echo "screenshots: $out/warning-dialog.png"
# "No" (Tab from "Yes", then Enter), then Alt+F4 on the main window.
xdotool key Tab Return
sleep 0.5
xdotool windowfocus "$main" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
wait "$pid" 2>/dev/null || true
trap - EXIT
