#!/usr/bin/env bash
# SIGINT, SIGTERM and SIGHUP sent to farcast-run during the replacement of a large file act as
# the copy dialog's Cancel: exit status 4, the summary and server lines printed, no temporary
# file left, and the destination as it was, bytes and metadata.
# Usage: farcast_run_signal_test.sh BIN_DIR
set -u
set -m  # background jobs keep SIGINT, as a terminal's foreground job has it
source "$(dirname "$0")/test_lib.sh"

wait_for_copy() {  # until the copy's temporary file is there (20 s at most)
    for _ in $(seq 1 2000); do
        [ -n "$(find "$dest_dir" -name 'FCT*.TMP')" ] && return
        sleep 0.01
    done
}

"$bin/farcast-netsim" demo "$work/net" >/dev/null
# Calls answered at once: the copies below make hundreds of thousands of them.
sed -i 's/^latency_ms = .*/latency_ms = 0/' "$work/net/network.toml"
source_dir=$work/net/ACME_HQ/DATA/PROJECTS
dest_dir=$work/net/ACME_BRANCH/DATA/INCOMING
dest='\\ACME_BRANCH\DATA\INCOMING\big.bin'
# A large source (sparse, so cheap to make) and an old, read-only copy on the destination.
truncate -s 1G "$source_dir/big.bin"
printf 'the old copy\n' >"$dest_dir/big.bin"
touch -d '2001-02-03 04:05:06' "$dest_dir/big.bin"
"$bin/farcast-netsim" attr "$dest" 21
old_stat=$("$bin/farcast-netsim" stat "$dest")

for signal in INT TERM HUP; do
    # One small chunk per pump: the copy of 1 GiB takes long enough to be caught.
    "$bin/farcast-run" --select ACME_BRANCH --target '\DATA\INCOMING' --set BufferSize=1 \
        '\\ACME_HQ\DATA\PROJECTS\big.bin' >"$work/out" 2>&1 &
    pid=$!
    wait_for_copy
    check "SIG$signal: the copy had begun" test -n "$(find "$dest_dir" -name 'FCT*.TMP')"
    kill -s "$signal" "$pid"
    wait "$pid"
    status=$?
    check "SIG$signal: exit status 4" test "$status" -eq 4
    check "SIG$signal: the summary is printed" grep -qxF \
        'Updated or created 0 files totalling 0 bytes' "$work/out"
    check "SIG$signal: the server line says stopped" grep -qxF \
        '[server] ACME_BRANCH | status=stopped | files=0 bytes=0 errors=0 deleted_files=0 deleted_dirs=0' \
        "$work/out"
    check "SIG$signal: no temporary file is left" test -z "$(find "$work/net" -name 'FCT*.TMP')"
    check "SIG$signal: the destination keeps its bytes" test "$(cat "$dest_dir/big.bin")" = 'the old copy'
    check "SIG$signal: the destination keeps its metadata" \
        test "$("$bin/farcast-netsim" stat "$dest")" = "$old_stat"
done

# A signal ignored from the start (nohup) stays ignored: the run goes on to its end.
rm -f "$source_dir/big.bin"
truncate -s 256M "$source_dir/big.bin"
"$bin/farcast-netsim" attr "$dest" 20
nohup "$bin/farcast-run" --select ACME_BRANCH --target '\DATA\INCOMING' --set BufferSize=1 \
    '\\ACME_HQ\DATA\PROJECTS\big.bin' >"$work/out" 2>&1 &
pid=$!
wait_for_copy
check "nohup: the copy had begun" test -n "$(find "$dest_dir" -name 'FCT*.TMP')"
kill -s HUP "$pid" 2>/dev/null
wait "$pid"
status=$?
check "nohup: a hangup does not stop the run" test "$status" -eq 0
check "nohup: the file is copied" test "$(stat -c %s "$dest_dir/big.bin")" -eq $((256 << 20))

finish
