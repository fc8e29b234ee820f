#!/bin/sh
# The bus in the logic-analyser tools: korvane's VCD read by sigrok with the
# project's decoder, and by GTKWave's own VCD reader.
#   check_vcd.sh decode  KORVANE SCRIPT EXPECTED DECODERS_DIR WORKDIR
#   check_vcd.sh gtkwave KORVANE SCRIPT WORKDIR
# Exit 77 (skipped) with the reason when the tool is not installed.
set -eu
mode=$1 korvane=$2 script=$3

record() { # record VCD LAYOUT
    out=$("$korvane" --daq sim --vcd "$1" --vcd-layout "$2" --script "$script" 2>&1) || {
        echo "$out"
        echo "korvane failed on $script"
        exit 1
    }
}

# Value changes as "time name value", with a vector's value as a number and
# repeated values left out: what a reader kept, whatever its identifiers.
changes() {
    awk '
        $1 == "$var" { name[$4] = $5; next }
        $1 == "$enddefinitions" { body = 1; next }
        !body || /^\$/ || NF == 0 { next }
        /^#/ { t = substr($1, 2); next }
        {
            if ($1 ~ /^[bB]/) { v = substr($1, 2); id = $2; sub(/^0+/, "", v); if (v == "") v = "0" }
            else { v = substr($1, 1, 1); id = substr($1, 2) }
            if (!(id in name)) { print "unknown identifier " id; next }
            if (!(id in last) || last[id] != v) print t, name[id], v
            last[id] = v
        }' "$1" | sort
}

case $mode in
decode)
    expected=$4 decoders=$5 work=$6
    command -v sigrok-cli >/dev/null || { echo "sigrok-cli is not installed (scripts/dev installs it)"; exit 77; }
    vcd=$work/decoded_lines.vcd
    record "$vcd" lines
    # The README's command: channels assigned by position, idle time compressed.
    SIGROKDECODE_DIR=$decoders sigrok-cli -I vcd:compress=1000 -i "$vcd" -P korvane_avalon \
        -A korvane_avalon=write-cycle:read-cycle:error >"$work/decoded.txt"
    sed 's/^korvane_avalon-1: //' "$work/decoded.txt" | diff -u "$expected" -
    ;;
gtkwave)
    work=$4
    for tool in vcd2fst fst2vcd; do
        command -v $tool >/dev/null || { echo "$tool (GTKWave's VCD reader) is not installed"; exit 77; }
    done
    for layout in vectors lines; do
        vcd=$work/bus_cycles_$layout.vcd
        record "$vcd" $layout
        vcd2fst "$vcd" "$work/$layout.fst" >/dev/null
        fst2vcd "$work/$layout.fst" >"$work/$layout.back.vcd"
        changes "$vcd" >"$work/$layout.changes"
        changes "$work/$layout.back.vcd" | diff -u "$work/$layout.changes" - || {
            echo "GTKWave's reader lost or changed values of the $layout layout"
            exit 1
        }
    done
    # Both layouts hold the same history of the lines and of contention.
    grep -E ' (port[0-2]_line[0-7]|contention) ' "$work/vectors.changes" | diff -u - "$work/lines.changes" || {
        echo "the two layouts disagree on the lines"
        exit 1
    }
    grep -q ' address_word 100100011000$' "$work/vectors.changes" || { echo "no address word 0x918 in the vectors layout"; exit 1; }
    ;;
esac
