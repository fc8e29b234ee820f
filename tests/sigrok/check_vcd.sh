#!/bin/sh
# The bus in the logic-analyser tools: korvane's VCD read by sigrok with the
# project's decoder, and by GTKWave's own VCD reader.
#   check_vcd.sh decode  KORVANE SCRIPT EXPECTED DECODERS_DIR WORKDIR
#   check_vcd.sh random  KORVANE COUNT SEED DECODERS_DIR WORKDIR
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

# The decoder's cycles and errors, one a line: decode VCD DECODERS_DIR
decode() {
    command -v sigrok-cli >/dev/null || { echo "sigrok-cli is not installed (scripts/dev installs it)"; exit 77; }
    # The guide's command (docs/guide/simulated-bench.md): channels assigned by position, idle time compressed.
    SIGROKDECODE_DIR=$2 sigrok-cli -I vcd:compress=1000 -i "$1" -P korvane_avalon \
        -A korvane_avalon=write-cycle:read-cycle:error | sed 's/^korvane_avalon-1: //'
}

case $mode in
decode)
    expected=$4 decoders=$5 work=$6
    mkdir -p "$work"
    vcd=$work/decoded_lines.vcd
    record "$vcd" lines
    decode "$vcd" "$decoders" >"$work/decoded.txt"
    diff -u "$expected" "$work/decoded.txt"
    ;;
random)
    # Random cycles through "korvane bus run", half of them on slave 0 (memory),
    # half of the reads of a word written before: the decoder shows each write
    # as commanded and each read with the word the bus master read.
    count=$3 seed=$4 decoders=$5 work=$6
    command -v sigrok-cli >/dev/null || { echo "sigrok-cli is not installed (scripts/dev installs it)"; exit 77; }
    awk -v n="$count" -v seed="$seed" 'BEGIN {
        srand(seed)
        for (i = 0; i < n; i++) {
            s = rand() < 0.5 ? 0 : int(rand() * 8); a = int(rand() * 8192)
            if (rand() < 0.5) {
                printf "write %d %d %d\n", s, a, int(rand() * 65536)
                ws[++w] = s; wa[w] = a
            } else {
                if (w > 0 && rand() < 0.5) { k = 1 + int(rand() * w); s = ws[k]; a = wa[k] }
                printf "read %d %d\n", s, a
            }
        }
    }' >"$work/random.cmds"
    vcd=$work/random_lines.vcd
    "$korvane" --daq sim --vcd "$vcd" --vcd-layout lines bus run "$work/random.cmds" >"$work/random.out" 2>/dev/null || {
        echo "korvane bus run failed on $work/random.cmds"
        exit 1
    }
    awk 'NR == FNR { word[++n] = $2; next }
        $1 == "write" { printf "Write: slave %d, register 0x%04X, data 0x%04X\n", $2, $3, $4 }
        $1 == "read" { printf "Read: slave %d, register 0x%04X, data %s\n", $2, $3, word[++r] }' \
        "$work/random.out" "$work/random.cmds" >"$work/random.expected"
    decode "$vcd" "$decoders" >"$work/random.decoded"
    diff -u "$work/random.expected" "$work/random.decoded" || { echo "seed $seed"; exit 1; }
    [ "$(grep -c '^Read.* 0x[0-9A-F]*[1-9A-F][0-9A-F]*$' "$work/random.decoded")" -gt "$((count / 20))" ] ||
        { echo "too few reads of a non-zero word"; exit 1; }
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
