#!/bin/bash
# pelta-des against `openssl enc -des-cbc` on the same file, both ways; not a test.
#   bench/cipher/pelta_des_vs_openssl.sh BUILD_DIR [MIB] [RUNS]
# Each command runs RUNS times under peak_memory; the best processor time of each is compared
# (a shared machine disturbs processor time less than wall time), and pelta-des's peak memory
# is shown. The openssl result is not pelta-des's format; only the speed is compared.
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [MIB] [RUNS]}
mib=${2:-64}
runs=${3:-5}
des=$build/tools/des/pelta-des
meter=$build/bench/cipher/peak_memory
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

head -c "$((mib << 20))" /dev/urandom >"$work/plain"
printf 'benchkey\n' >"$work/key"
ssl=(openssl enc -des-cbc -provider legacy -provider default -K 62656e63686b6579
     -iv 0000000000000000)
"${ssl[@]}" -in "$work/plain" -out "$work/plain.ssl"
"$des" encrypt --key-file "$work/key" "$work/plain" "$work/plain.des" >/dev/null

# best NAME COMMAND...: runs COMMAND $runs times; prints the least processor time.
best() {
    local name=$1 line cpu least=
    shift
    for ((i = 0; i < runs; i++)); do
        line=$("$meter" "$@" 2>/dev/null </dev/null | tail -n 1)
        cpu=${line##*cpu }
        cpu=${cpu% s}
        echo "  $name: $line" >&2
        least=$(awk -v a="$cpu" -v b="${least:-$cpu}" 'BEGIN { print (a < b ? a : b) }')
    done
    echo "$least"
}

ourEnc=$(best "pelta-des encrypt" "$des" encrypt --key-file "$work/key" --overwrite \
    "$work/plain" "$work/out")
sslEnc=$(best "openssl enc" "${ssl[@]}" -in "$work/plain" -out "$work/out")
ourDec=$(best "pelta-des decrypt" "$des" decrypt --key-file "$work/key" --overwrite \
    "$work/plain.des" "$work/out")
sslDec=$(best "openssl enc -d" "${ssl[@]}" -d -in "$work/plain.ssl" -out "$work/out")

printf '%d MiB, best processor time of %d runs\n' "$mib" "$runs"
report() {
    awk -v name="$1" -v ours="$2" -v theirs="$3" 'BEGIN {
        printf "%s: pelta-des %.3f s, openssl %.3f s, speed ratio %.2f\n", name, ours, theirs,
            theirs / ours }'
}
report encrypt "$ourEnc" "$sslEnc"
report decrypt "$ourDec" "$sslDec"
