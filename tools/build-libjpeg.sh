#!/bin/sh
# Builds libjpeg-turbo for 64-bit Windows from Debian's source package, as a static library:
#     build-libjpeg.sh <cache folder>
# The cache folder gets apt/ (a private apt state, removed once built), src/ (the unpacked
# source), work/ (the build) and install/ (include/ and lib/libjpeg.a, which CMake links). Quiet and quick when install/ is
# complete; a half-done earlier run is started again from the source download.
#
# The source comes through apt with a configuration of its own: its own source list, lists and
# cache under apt/, so the machine's apt configuration and its package lists stay as they are. Its
# deb-src entries are made at run time from the machine's deb entries (sources.list and
# sources.list.d, one-line and deb822 forms), so it fetches from wherever this machine's packages
# come from.
#
# Built without SIMD: the library decodes one small picture, and the assembler it needs would be
# one more build tool for no visible gain. Built with -fexceptions: the framework's error handler
# throws a C++ exception out of the library's error exit, through the library's C frames. Only
# the jpeg-static target is built (the command-line tools and the TurboJPEG API are not needed),
# and its headers are copied by hand (its configure still wants an install folder that is a full
# path on this machine).
set -e
# Written into install/.complete; a cache built another way is built again.
recipe="static, no SIMD, -fexceptions"
cache=$(realpath -m "${1:?usage: build-libjpeg.sh <cache folder>}")
here=$(dirname "$(realpath "$0")")
install="$cache/install"
done_mark="$install/.complete"
is_complete() { [ -f "$done_mark" ] && [ "$(head -n 1 "$done_mark")" = "$recipe" ]; }
is_complete && exit 0

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
is_complete && exit 0

started=$(date +%s)
echo "setup: building libjpeg-turbo for Windows in $cache"

# --- The machine's deb entries as deb-src entries -------------------------------------------------
apt_dir="$cache/apt"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
list="$apt_dir/sources.list"
{
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        # deb [options] uri suite [component...]
        sed -n 's/^[[:space:]]*deb[[:space:]]\{1,\}/deb-src /p' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        # Stanzas separated by blank lines; continuation lines start with white space. A
        # Signed-By that names a key file is kept; an inline key is left to the trusted keys.
        awk '
            function flush(   i, j, n, u, s, opt) {
                if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no") {
                    opt = signed ~ /^\// ? "[signed-by=" signed "] " : ""
                    nu = split(uris, u, " "); ns = split(suites, s, " ")
                    for (i = 1; i <= nu; i++)
                        for (j = 1; j <= ns; j++)
                            print "deb-src " opt u[i] " " s[j] " " components
                }
                types = uris = suites = components = signed = enabled = ""; field = ""
            }
            /^[[:space:]]*#/ { next }
            /^[[:space:]]*$/ { flush(); next }
            /^[[:space:]]/ {
                sub(/^[[:space:]]+/, "")
                if (field == "uris") uris = uris " " $0
                else if (field == "suites") suites = suites " " $0
                else if (field == "components") components = components " " $0
                else if (field == "types") types = types " " $0
                next
            }
            {
                name = tolower(substr($0, 1, index($0, ":") - 1))
                value = substr($0, index($0, ":") + 1)
                sub(/^[[:space:]]+/, "", value); sub(/[[:space:]]+$/, "", value)
                field = name
                if (name == "types") types = value
                else if (name == "uris") uris = value
                else if (name == "suites") suites = value
                else if (name == "components") components = value
                else if (name == "signed-by") signed = value
                else if (name == "enabled") enabled = value
            }
            END { flush() }
        ' "$f"
    done
} | sort -u >"$list"
if [ ! -s "$list" ]; then
    echo "setup: no deb entries in /etc/apt to take the libjpeg-turbo source from" >&2
    exit 1
fi

# Root downloads itself: the cache folder may be out of reach of apt's unprivileged user.
apt_private() {
    "$@" -q -o Dir::Etc::SourceList="$list" -o Dir::Etc::SourceParts="$apt_dir/parts" \
        -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" \
        -o Dir::Cache::archives="$apt_dir/cache/archives" -o Acquire::Languages=none \
        -o APT::Sandbox::User=root
}

# --- Source ---------------------------------------------------------------------------------------
log="$cache/build.log"
: >"$log"
# An entry without sources fails its part of the update; the download below says whether what
# was fetched is enough.
apt_private apt-get update >>"$log" 2>&1 || true
rm -rf "$cache/src" "$cache/download"
mkdir -p "$cache/download"
if ! (cd "$cache/download" && apt_private apt-get source --download-only libjpeg-turbo) \
    >>"$log" 2>&1; then
    cat "$log" >&2
    echo "setup: cannot download the libjpeg-turbo source package (deb-src entries: $list)" >&2
    exit 1
fi
# apt has checked the files against the signed index already.
dsc=$(ls "$cache"/download/libjpeg-turbo_*.dsc)
if ! dpkg-source --no-check --no-copy -x "$dsc" "$cache/src" >>"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi

# --- Build ----------------------------------------------------------------------------------------
rm -rf "$cache/work" "$install"
if ! {
    cmake -S "$cache/src" -B "$cache/work" \
        -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-fexceptions \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
        -DWITH_JAVA=OFF -DCMAKE_INSTALL_PREFIX="$install" &&
        cmake --build "$cache/work" -j2 --target jpeg-static
} >>"$log" 2>&1; then
    cat "$log" >&2
    echo "setup: building libjpeg-turbo failed" >&2
    exit 1
fi
mkdir -p "$install/include" "$install/lib"
cp "$cache/work/libjpeg.a" "$install/lib/"
cp "$cache/work/jconfig.h" "$cache/src/jerror.h" "$cache/src/jmorecfg.h" "$cache/src/jpeglib.h" \
    "$install/include/"
version=$(basename "$dsc" .dsc)
# The private package lists are big and of no further use.
rm -rf "$apt_dir" "$cache/download"
printf '%s\n%s\n' "$recipe" "$version" >"$done_mark"
echo "setup: $version built in $(($(date +%s) - started)) s"
