#!/bin/sh
# The release as a user gets it: DistTests.sh <version> <built Ordanel.exe> <strip> <objdump>.
# Packs it into a scratch folder, then checks the zip's entries and their order, that SHA256SUMS
# covers every other entry and holds, that the .sha256 is the zip's, that the exe carries no debug
# data and no time, that the entries carry the source date and fixed permissions, that README.txt
# names the version, that packing again later gives the same bytes, and that the version is
# written nowhere but in CMake's project version (and the change log's entry for it).
set -e
version=$1 exe=$2 strip=$3 objdump=$4
here=$(dirname "$(realpath "$0")")
tools=$(realpath "$here/../../tools")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# An even time (the zip's clock counts in two seconds): 2025-12-06 05:46:40 UTC.
export SOURCE_DATE_EPOCH=1765000000
"$tools/dist.sh" "$version" "$exe" "$strip" "$work/out" >/dev/null
zip=$work/out/Ordanel-$version-win64.zip
[ -f "$zip" ] || fail "no $zip"
[ "$(ls "$work/out" | tr '\n' ' ')" = "Ordanel-$version-win64.zip Ordanel-$version-win64.zip.sha256 " ] ||
    fail "dist holds $(ls "$work/out")"

entries=$(cd "$work" && cmake -E tar tf "$zip" | tr '\n' ' ')
[ "$entries" = "Ordanel.exe README.txt LICENSE SHA256SUMS " ] || fail "zip entries: $entries"

listing=$(cd "$work" && TZ=UTC cmake -E tar tvf "$zip")
[ "$(echo "$listing" | grep -c '^-rw-r--r-- .* 6 Dec  2025 ')" = 4 ] ||
    fail "entries not stamped 2025-12-06 with mode 644: $listing"

mkdir "$work/x"
(cd "$work/x" && cmake -E tar xf "$zip")
(cd "$work/x" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not hold"
[ "$(cut -d' ' -f3 "$work/x/SHA256SUMS" | tr '\n' ' ')" = "Ordanel.exe README.txt LICENSE " ] ||
    fail "SHA256SUMS covers $(cut -d' ' -f3 "$work/x/SHA256SUMS")"
(cd "$work/out" && sha256sum --quiet -c "Ordanel-$version-win64.zip.sha256") || fail "zip sum"

! "$objdump" -h "$work/x/Ordanel.exe" | grep -q '\.debug' || fail "Ordanel.exe has debug data"
cmp -s "$work/x/Ordanel.exe" "$exe" && fail "Ordanel.exe is not stripped"
"$objdump" -p "$work/x/Ordanel.exe" | grep -q '^Time/Date.*1970' || fail "a time in the PE header"
grep -q "^Ordanel $version" "$work/x/README.txt" || fail "README.txt does not name $version"
grep -q "The Ordanel authors" "$work/x/LICENSE" || fail "LICENSE"

cp "$zip" "$work/first.zip"
sleep 2
"$tools/dist.sh" "$version" "$exe" "$strip" "$work/out" >/dev/null
cmp -s "$zip" "$work/first.zip" || fail "packing again gave other bytes"
source=$(dirname "$tools")
for template in ui/resources/Ordanel.rc ui/resources/Ordanel.manifest.in docs/README.txt.in \
    cmake/OrdanelVersion.h.in; do
    ! grep -qF "$version" "$source/$template" || fail "$template writes the version $version itself"
done
grep -q "^## $version " "$source/CHANGELOG.md" || fail "CHANGELOG.md has no entry for $version"
echo "dist: $entries- all checks passed"
