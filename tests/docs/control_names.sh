#!/bin/bash
# The controls a script can name, generated from the panel file: one table
# row per control (its name, kind and tip), the frames left out, then the
# analog inputs the program makes at start-up (the panel's tips name them).
#   control_names.sh PANEL_FILE            prints the rows
#   control_names.sh PANEL_FILE README     checks the README's rows between
#       <!-- control names: begin --> and <!-- control names: end --> against them
set -u
uir=$1
rows() {
    awk '
        function flush() {
            if (name != "" && kind != "decoration")
                printf "| `%s` | %s%s | %s |\n", name, kind, (mode == "indicator" ? " (indicator)" : ""),
                       (tip == "" && interval != "" ? "ticks every " interval " s while enabled" : tip)
            name = ""; kind = ""; mode = ""; tip = ""; interval = ""
        }
        function value(line) { sub(/^[a-z_]+ = "/, "", line); sub(/"[ \t]*$/, "", line); gsub(/\|/, "\\|", line); return line }
        /^\[\[panel\.control\]\]/ { flush(); section = "control"; next }
        /^\[panel\.tips\]/ { flush(); section = "tips"; next }
        /^\[/ { flush(); section = ""; next }
        section == "control" && /^name = "/ { name = value($0) }
        section == "control" && /^kind = "/ { kind = value($0) }
        section == "control" && /^mode = "/ { mode = value($0) }
        section == "control" && /^tip = "/ { tip = value($0) }
        section == "control" && /^interval = / { interval = $3 }
        section == "tips" && /^[A-Z0-9_]+ = "/ {
            n = $1; t = $0; sub(/^[A-Z0-9_]+ = "/, "", t); sub(/"[ \t]*$/, "", t)
            made[++m] = "| `" n "` | numeric_double (indicator), made at start-up | " t " |"
        }
        END { flush(); for (i = 1; i <= m; i++) print made[i] }
    ' "$uir"
}
if [ $# -lt 2 ]; then
    rows
    exit 0
fi
readme=$2
documented=$(awk '/<!-- control names: end -->/ { on = 0 } on && /^\| `/ { print } /<!-- control names: begin -->/ { on = 1 }' "$readme")
if [ -z "$documented" ]; then
    echo "$readme has no rows between <!-- control names: begin --> and <!-- control names: end -->"
    exit 1
fi
if ! diff <(printf '%s\n' "$documented") <(rows) >/dev/null; then
    echo "$readme's list of control names differs from $uir (< README, > panel file):"
    diff <(printf '%s\n' "$documented") <(rows)
    echo "Renew it with: tests/docs/control_names.sh $uir"
    exit 1
fi
echo "$(rows | wc -l) controls listed as the panel file has them"
