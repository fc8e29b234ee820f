#!/bin/bash
# Runs every command block of README.md and the user guide (docs/guide/*.md:
# ```sh fences, and ```python fences with the Python module when the build has
# it) and of the man page's EXAMPLES (indented blocks) as a user would, on the
# simulated bench: no display, no standard input, each block in a fresh folder
# that sees the source tree's folders, `build` as the build tree and `korvane`
# on the PATH (a Python block with PYTHONPATH=build/python).
# An HTML comment on the line before a block says what differs:
#   <!-- doc-test: skip REASON -->   not run (a display, root, the network, hardware, minutes)
#   <!-- doc-test: status N -->      the block ends with status N
# Usage: command_blocks.sh SOURCE_DIR BUILD_DIR KORVANE_EXE [PYTHON]
# (without PYTHON, the interpreter the module is built for, Python blocks are listed as skipped)
set -u
src=$1 build=$2 exe=$3 python=${4:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-doc-blocks.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$exe" "$work/bin/korvane"

# Prints the blocks of one file as records: "LINE<TAB>STATUS<TAB>LANG<TAB>SKIP" then
# the block's lines, then a line holding only "\x1e".
readme_blocks() {
    awk '
        /^[ \t]*<!-- doc-test: / {
            m = $0; sub(/^[ \t]*<!-- doc-test: /, "", m); sub(/ *-->[ \t]*$/, "", m)
            if (m ~ /^skip/) { skip = m; sub(/^skip */, "", skip); if (skip == "") skip = "no reason given" }
            else if (m ~ /^status [0-9]+$/) status = substr(m, 8)
            else { print FILENAME ":" NR ": unknown doc-test marker: " m > "/dev/stderr"; bad = 1 }
            next
        }
        !inblock && /^[ \t]*```(sh|python)[ \t]*$/ {
            lang = $0; gsub(/[ \t`]/, "", lang)
            inblock = 1; start = NR + 1; print start "\t" (status == "" ? 0 : status) "\t" lang "\t" skip; next
        }
        inblock && /^[ \t]*```[ \t]*$/ { inblock = 0; print "\036"; skip = ""; status = ""; next }
        inblock { sub(/^   ?/, ""); print; next }
        NF { skip = ""; status = "" }
        END { exit bad }
    ' "$1"
}

man_blocks() {
    awk '
        /^# / { examples = ($0 == "# EXAMPLES"); next }
        !examples { next }
        /^[ \t]*<!-- doc-test: / {
            m = $0; sub(/^[ \t]*<!-- doc-test: /, "", m); sub(/ *-->[ \t]*$/, "", m)
            if (m ~ /^skip/) { skip = m; sub(/^skip */, "", skip); if (skip == "") skip = "no reason given" }
            else if (m ~ /^status [0-9]+$/) status = substr(m, 8)
            next
        }
        /^    / { if (!inblock) { inblock = 1; print NR "\t" (status == "" ? 0 : status) "\tsh\t" skip }
                  sub(/^    /, ""); print; next }
        inblock && NF == 0 { next }
        inblock { inblock = 0; print "\036"; skip = ""; status = "" }
        END { if (inblock) print "\036" }
    ' "$1"
}

ran=0 failed=0 skipped=()
run_file() { # NAME LISTER
    local name=$1 lister=$2 header block line status skip lang n=0
    while IFS= read -r header; do
        IFS=$'\t' read -r line status lang skip <<<"$header"
        block=""
        while IFS= read -r l && [ "$l" != $'\036' ]; do block+="$l"$'\n'; done
        n=$((n + 1))
        # Python, or a command that runs the module from the build tree.
        if [ -z "$skip" ] && [ -z "$python" ] && { [ "$lang" = python ] || [[ $block == *PYTHONPATH=build/python* ]]; }; then
            skip="no Python module in this build"
        fi
        if [ -n "$skip" ]; then
            skipped+=("$name:$line: $skip")
            continue
        fi
        local dir="$work/$(basename "$name").$line"
        mkdir "$dir"
        for entry in "$src"/*; do
            [ "$(basename "$entry")" = build ] || ln -s "$entry" "$dir/"
        done
        ln -s "$build" "$dir/build"
        local out run=(bash -e -o pipefail -c "$block")
        [ "$lang" = python ] && run=(env PYTHONPATH=build/python "$python" -c "$block")
        out=$(cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$work/bin:$PATH" \
              KORVANE_DAQ=sim timeout 300 "${run[@]}" </dev/null 2>&1)
        local got=$?
        ran=$((ran + 1))
        if [ "$got" -ne "$status" ]; then
            failed=$((failed + 1))
            echo "FAILED $name:$line (status $got, expected $status):"
            printf '%s' "$block" | sed 's/^/    $ /'
            printf '%s\n' "$out" | tail -n 20 | sed 's/^/    | /'
        else
            echo "ok $name:$line"
        fi
    done < <($lister "$src/$name")
}

run_file README.md readme_blocks
for page in "$src"/docs/guide/*.md; do
    run_file "docs/guide/${page##*/}" readme_blocks
done
run_file docs/korvane.1.md man_blocks
for s in "${skipped[@]}"; do echo "skipped $s"; done
echo "$ran blocks run, $failed failed, ${#skipped[@]} skipped"
[ "$ran" -gt 0 ] && [ "$failed" -eq 0 ]
