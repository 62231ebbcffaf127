#!/usr/bin/env bash
# Fails, naming each file and line, when a folder of the program includes a
# folder it may not (the table in scripts/layers.txt). Tests may include
# anything.
set -euo pipefail
cd "$(dirname "$0")/.."
table=scripts/layers.txt
folders="data platform party masters address search printing labels importexport sync app tools"

allowed() { # folder -> its allowed folders, own included
    local line
    line=$(grep -E "^$1:" "$table" || true)
    echo "$1 ${line#*:}"
}

status=0
for folder in $folders; do
    [ -d "$folder" ] || continue
    ok=" $(allowed "$folder") "
    while IFS=: read -r file lineno text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z]+)\/.*/\1/' <<<"$text")
        case "$ok" in
        *" $target "*) ;;
        *)
            echo "$file:$lineno: $folder/ may not include $target/ ($text)"
            status=1
            ;;
        esac
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$folder" \
        --include='*.cpp' --include='*.h' --include='*.cxx' || true)
done

# Files that may not include certain files of their own folder.
while read -r rule; do
    stem=${rule%%:*}
    stem=${stem#!}
    for name in ${rule#*:}; do
        for file in "$stem".h "$stem".cpp "$stem"_*.cpp; do
            [ -f "$file" ] || continue
            while IFS=: read -r lineno text; do
                echo "$file:$lineno: may not include ${stem%%/*}/$name.h ($text)"
                status=1
            done < <(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"${stem%%/*}/$name\.h\"" "$file" || true)
        done
    done
done < <(grep -E '^!' "$table")

[ $status -eq 0 ] && echo "includes: every folder keeps to its floor"
exit $status
