#!/bin/sh
# Proves that the same sources give the same release bytes: clones the checkout's HEAD twice, into
# two folders of different names and depths, runs `make dist` in each, and compares the zips.
#     tools/check-reproducible.sh [<scratch folder>]
# Prints both zips' SHA-256 and "reproducible" when they are byte-identical; exits 1 otherwise.
# Uncommitted changes are not in the clones: commit first. Takes two builds of the program.
set -e
here=$(dirname "$(realpath "$0")")
source=$(dirname "$here")
scratch=${1:-$(mktemp -d)}
mkdir -p "$scratch"
one=$scratch/one/ordanel
two=$scratch/second/place/other-name
rm -rf "$one" "$two"
for clone in "$one" "$two"; do
    git clone -q --no-hardlinks "$source" "$clone"
    echo "check-reproducible: make dist in $clone"
    make -C "$clone" --no-print-directory dist >"$clone.log" 2>&1 || {
        tail -20 "$clone.log"
        exit 1
    }
done
a=$(ls "$one"/dist/*.zip)
b=$(ls "$two"/dist/*.zip)
sha256sum "$a" "$b"
if cmp "$a" "$b"; then
    echo "check-reproducible: reproducible ($(basename "$a"), $(wc -c <"$a") bytes)"
else
    echo "check-reproducible: the zips differ"
    exit 1
fi
