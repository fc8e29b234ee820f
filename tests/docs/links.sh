#!/bin/bash
# Every relative link of the given Markdown files must name a file of the
# source tree, and every #anchor a heading of its file (GitHub's rule:
# lower case, punctuation but '-' and '_' dropped, blanks made '-').
# Usage: links.sh SOURCE_DIR FILE.md...
set -u
src=$1; shift
slugs() { # the anchors of a Markdown file's headings, outside code fences
    awk '/^[ \t]*```/ { f = !f; next } !f && /^#+ / { sub(/^#+ /, ""); print }' "$1" |
        tr '[:upper:]' '[:lower:]' | sed -E 's/[^[:alnum:] _-]//g; s/ /-/g'
}
bad=0 n=0
for md in "$@"; do
    dir=$(dirname "$src/$md")
    # [text](target) outside code spans and fences; http(s) and mailto left alone
    while IFS= read -r target; do
        n=$((n + 1))
        file=${target%%#*} anchor=""
        [[ $target == *"#"* ]] && anchor=${target#*#}
        path="$src/$md"
        if [ -n "$file" ]; then
            path="$dir/$file"
            if [ ! -e "$path" ]; then
                echo "$md: link to $target: no file $file"; bad=$((bad + 1)); continue
            fi
        fi
        if [ -n "$anchor" ] && [[ $path == *.md ]] && ! slugs "$path" | grep -qxF -- "$anchor"; then
            echo "$md: link to $target: no heading #$anchor in $(basename "$path")"; bad=$((bad + 1))
        fi
    done < <(awk '/^[ \t]*```/ { f = !f; next } !f { gsub(/`[^`]*`/, ""); print }' "$src/$md" |
             grep -oE '\]\([^) ]+\)' | sed -E 's/^\]\(//; s/\)$//' | grep -vE '^(https?|mailto):')
done
echo "$n links, $bad broken"
[ "$bad" -eq 0 ]
