#!/bin/sh
# `make run` works in a folder of its own: the word lists are copied there
# from data/ the first time, a later run keeps what the user edited there,
# data/ stays as it was, and the default folder is one git ignores.
set -eu
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
shipped() { (cd "$src/data" && find . -type f -exec cksum {} + | sort); }

before=$(shipped)
make -s -C "$src" run-folder RUN_DIR="$tmp/run"
diff -r "$src/data" "$tmp/run/data"

printf '国家\n' >"$tmp/run/data/textTo_newMainland.txt"
rm "$tmp/run/data/textTo_oldOne.txt"
make -s -C "$src" run-folder RUN_DIR="$tmp/run"
[ "$(cat "$tmp/run/data/textTo_newMainland.txt")" = 国家 ]
[ ! -e "$tmp/run/data/textTo_oldOne.txt" ]
[ "$(shipped)" = "$before" ]

if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
    default=$(sed -n 's/^RUN_DIR *?= *//p' "$src/Makefile")
    git -C "$src" check-ignore -q "$default/configure.ini"
fi
