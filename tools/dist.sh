#!/bin/sh
# Makes the release: dist.sh <version> <built Ordanel.exe> <strip program> <output folder>.
# The output folder gets Ordanel-<version>-win64.zip, holding
#     Ordanel.exe   stripped of its debug data
#     README.txt    for users (docs/README.txt.in with the version)
#     LICENSE
#     SHA256SUMS    the SHA-256 of the three files above, in the format of sha256sum
# and Ordanel-<version>-win64.zip.sha256, the zip's own sum. The zip is the same bytes for the same
# sources wherever they are built: its entries come in a fixed order, each stamped with the date of
# the checkout's last commit (SOURCE_DATE_EPOCH when set), with fixed permissions and no owner.
set -e
version=${1:?usage: dist.sh <version> <Ordanel.exe> <strip> <output folder>}
exe=${2:?}
strip=${3:?}
out=${4:?}
here=$(dirname "$(realpath "$0")")
source=$(dirname "$here")
name=Ordanel-$version-win64

if [ -z "$SOURCE_DATE_EPOCH" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct 2>/dev/null) || {
        echo "dist: no git checkout here: set SOURCE_DATE_EPOCH to the sources' date" >&2
        exit 1
    }
fi
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# strip writes a time into the PE header: none, as the linker does (SOURCE_DATE_EPOCH rules it).
SOURCE_DATE_EPOCH=0 "$strip" -o "$stage/Ordanel.exe" "$exe"
sed "s/@VERSION@/$version/g" "$source/docs/README.txt.in" | sed 's/$/\r/' >"$stage/README.txt"
sed 's/$/\r/' "$source/LICENSE" >"$stage/LICENSE"
(cd "$stage" && sha256sum Ordanel.exe README.txt LICENSE >SHA256SUMS)

files="Ordanel.exe README.txt LICENSE SHA256SUMS"
for f in $files; do
    chmod 644 "$stage/$f"
    touch -d "@$SOURCE_DATE_EPOCH" "$stage/$f"
done
mkdir -p "$out"
rm -f "$out/$name.zip" "$out/$name.zip.sha256"
# -X: no owner or extra times; -D: no folder entries; TZ: the DOS times the zip holds are local.
(cd "$stage" && TZ=UTC zip -q -X -D -9 "$stage/$name.zip" $files)
mv "$stage/$name.zip" "$out/$name.zip"
(cd "$out" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "dist: $out/$name.zip"
