#!/usr/bin/env bash
# Every example of the README and of the manual pages runs as written, each document on a
# fresh demo network, and exits 0. The manual pages' examples are taken from what `man -l`
# shows, so that what a reader copies is what runs; farcast itself runs without a display and
# is ended with SIGTERM, which must end it as its Exit command does.
# Usage: examples_test.sh BIN_DIR SOURCE_DIR MAN_DIR
set -u
bin=$(cd "$1" && pwd)
source_dir=$2
man_dir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# The shell commands of the README's ```sh blocks that run the programs, continuation lines
# joined; build/bin/ stands for the build's programs.
readme_examples() {
    awk '/^```sh$/ { inside = 1; next } /^```/ { inside = 0; next }
         inside { if (sub(/\\$/, "")) { line = line $0; next } print line $0; line = "" }' \
        "$source_dir/README.md" | grep -E '^(build/bin/)?farcast' | sed "s#^build/bin/#$bin/#"
}

# The commands of a manual page's EXAMPLES section as man shows them.
man_examples() {
    MANWIDTH=200 man -l "$1" 2>/dev/null |
        awk '/^EXAMPLES/ { inside = 1; next } /^[A-Z]/ { inside = 0 }
             inside { sub(/^ +/, ""); if (sub(/\\$/, "")) { line = line $0; next }
                      print line $0; line = "" }' |
        grep -E '^([A-Z_]+=[^ ]+ )*farcast'
}

# A fresh home with a fresh demo network where the programs look for one.
fresh_place() {
    rm -rf "$work/home"
    mkdir -p "$work/home"
    export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
    export FARCAST_NETWORK=$XDG_DATA_HOME/farcast/network
    mkdir -p "$XDG_DATA_HOME/farcast"
    "$bin/farcast-netsim" demo "$FARCAST_NETWORK" >/dev/null
    export PATH=$bin:$PATH
}

run_example() {  # run_example DOCUMENT COMMAND
    local document=$1 command=$2 status program
    program=$(sed -E 's/^([A-Z_]+=[^ ]+ )*//; s/ .*//' <<<"$command")
    if [ "$(basename "$program")" = farcast ]; then
        QT_QPA_PLATFORM=offscreen bash -c "$command" </dev/null >"$work/out" 2>&1 &
        local pid=$!
        sleep 2
        kill -TERM "$pid" 2>/dev/null
        wait "$pid"
        status=$?
    else
        bash -c "$command" </dev/null >"$work/out" 2>&1
        status=$?
    fi
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED ($document, exit status $status): $command"
        sed 's/^/    /' "$work/out" | tail -8
    fi
}

fresh_place
mapfile -t examples < <(readme_examples)
[ "${#examples[@]}" -ge 3 ] || { echo "FAILED: the README's examples were not found"; failed=$((failed + 1)); }
for command in "${examples[@]}"; do
    run_example README "$command"
done

for page in farcast farcast-run farcast-netsim; do
    fresh_place
    mapfile -t examples < <(man_examples "$man_dir/$page.1")
    if [ "${#examples[@]}" -lt 1 ]; then
        echo "FAILED: no examples shown by man -l $man_dir/$page.1"
        failed=$((failed + 1))
    fi
    for command in "${examples[@]}"; do
        run_example "$page(1)" "$command"
    done
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
