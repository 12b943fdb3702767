# program-windows.sh - shell functions over the program's windows on the X display, sourced by
# run.sh and screenshots.sh (they need xdotool and, for shoot, ImageMagick's import).

# The largest of the program's visible windows other than those named (the zero-size application
# window is mapped as a 1 x 1 window); nothing when none is larger than that.
largest_window() {
    local best="" area=0 w
    for w in $(xdotool search --onlyvisible --classname 'ordanel.exe' 2>/dev/null || true); do
        printf '%s\n' "$@" | grep -qx "$w" && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ $((WIDTH * HEIGHT)) -gt "$area" ]; then
            area=$((WIDTH * HEIGHT))
            best=$w
        fi
    done
    [ "$area" -gt 100 ] && echo "$best"
    return 0
}

# shoot <window> <file>: the window's own area of the screen, frame and client, nothing around it.
shoot() {
    local window=$1 file=$2
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file"
}
