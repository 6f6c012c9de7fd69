#!/usr/bin/env bash
# farcast-run at a terminal and in a script: errors and [skipped] lines on standard error, -q
# and -v, help, --login-file, questions and passwords asked at a terminal (a pseudo-terminal
# made by script(1)), the progress line; the desktop program without a display; XDG places.
# Usage: farcast_run_terminal_test.sh BIN_DIR
set -u
source "$(dirname "$0")/test_lib.sh"

run() {  # run farcast-run, keeping its output, its errors and its exit status
    "$bin/farcast-run" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

fresh_network() {
    rm -rf "$work/net"
    "$bin/farcast-netsim" demo "$work/net" >/dev/null
    # The demo's round trips would stretch the large copies here to minutes.
    sed -i 's/^latency_ms = .*/latency_ms = 0/' "$work/net/network.toml"
}

# at_terminal INPUT COMMAND...: runs the command in a pseudo-terminal (standard input, output
# and error all on it) with INPUT typed once the first question is there; the screen is kept.
at_terminal() {
    local input=$1 cmd
    shift
    printf -v cmd '%q ' "$@"
    rm -f "$work/screen" "$work/typed"
    mkfifo "$work/typed"
    script -q -f -e -c "$cmd" "$work/screen" <"$work/typed" >/dev/null 2>&1 &
    local pid=$!
    exec 3>"$work/typed"
    for _ in $(seq 1 600); do  # 30 s at most, or until it ended without asking
        kill -0 "$pid" 2>/dev/null || break
        grep -qE '\? $|\): $|: $' "$work/screen" 2>/dev/null && break
        sleep 0.05
    done
    printf '%b' "$input" >&3
    exec 3>&-
    wait "$pid"
    status=$?
}

old_report=$work/net/ACME_SALES/DATA/PROJECTS/Old\ Report.txt
sync_run=(--select ACME_SALES --target '\DATA' --set CopySubDirs=1 --set SyncDirs=1
    --set PromptOnDeletion=1 '\\ACME_HQ\DATA\PROJECTS')

# ---- standard error: every error text and [skipped] line, one line each ----
fresh_network
run --select ACME_BRANCH,ACME_SALES --target '\NOWHERE' '\\ACME_HQ\DATA\PROJECTS\README.TXT' \
    '\\ACME_HQ\DATA\NO SUCH FILE'
check "errors: exit 3" test "$status" -eq 3
check "errors and skipped lines on standard error, nothing else" diff - "$work/err" <<'TEXT'
ERROR - Volume NOWHERE does not exist on server ACME_BRANCH.
ERROR - Volume NOWHERE does not exist on server ACME_SALES.
[skipped] \\ACME_HQ\DATA\NO SUCH FILE | does not exist
TEXT
check "standard output keeps the error boxes" test "$(grep -c '^ERROR - Volume NOWHERE' "$work/out")" -eq 2
check "standard output keeps the skipped line" grep -qxF '[skipped] \\ACME_HQ\DATA\NO SUCH FILE | does not exist' "$work/out"
run --select ACME_SALES --target '\DATA' --set CopyAttributes=1 '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "a clean run writes nothing on standard error" test ! -s "$work/err"

# ---- -q: only errors, the summary, [server] and [skipped] lines ----
run -q --select ACME_BRANCH,ACME_SALES --target '\NOWHERE' '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "-q: no question, no warning, only errors and the summary" diff - "$work/out" <<'TEXT'
[box] Farcast | style=0x10010
ERROR - Volume NOWHERE does not exist on server ACME_BRANCH.
[answer] OK
[box] Farcast | style=0x10010
ERROR - Volume NOWHERE does not exist on server ACME_SALES.
[answer] OK
[box] Farcast | style=0x10040
Updated or created 0 files totalling 0 bytes
[answer] OK
[server] ACME_BRANCH | status=given-up | files=0 bytes=0 errors=1 deleted_files=0 deleted_dirs=0
[server] ACME_SALES | status=given-up | files=0 bytes=0 errors=1 deleted_files=0 deleted_dirs=0
TEXT
run -q --select LEGACY_FS --target '\DOSDATA' --login SUPERVISOR:NETWARE \
    '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "-q: the login dialog is not printed" test -z "$(grep -E '^\[dialog\]|^\[answer\] OK SUPERVISOR' "$work/out")"
check "-q: the login still happens" grep -qF '[server] LEGACY_FS | status=done | files=1' "$work/out"
run -q -v --select ACME_SALES --target '\DATA' '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "-q with -v is a usage error" test "$status" -eq 2
check "-q with -v: the message" grep -qxF 'farcast-run: -q and -v cannot be given together' "$work/err"

# ---- -v: [done] lines, line for line the dry run's [plan] lines ----
fresh_network
"$bin/farcast-run" --dry-run "${sync_run[@]:0:8}" --set CopyAttributes=1 '\\ACME_HQ\DATA\PROJECTS' >"$work/plan" 2>&1
run -v "${sync_run[@]:0:8}" --set CopyAttributes=1 '\\ACME_HQ\DATA\PROJECTS'
check "-v: exit 0" test "$status" -eq 0
check "-v: the [done] lines are the [plan] lines" diff <(sed 's/^\[plan\]/[done]/' "$work/plan") "$work/out"
check "-v: a deletion is among them" grep -qxF '[done] ACME_SALES delete \\ACME_SALES\DATA\PROJECTS\Old Report.txt' "$work/out"
check "-v: a directory made is among them" grep -qxF '[done] ACME_SALES mkdir \\ACME_SALES\DATA\PROJECTS\Website Redesign' "$work/out"
"$bin/farcast-run" --dry-run --set OverwriteOlder=1 "${sync_run[@]:0:8}" '\\ACME_HQ\DATA\PROJECTS' >"$work/plan" 2>&1
run -v --set OverwriteOlder=1 "${sync_run[@]:0:8}" '\\ACME_HQ\DATA\PROJECTS'
check "-v: skips too, as planned" diff <(sed 's/^\[plan\]/[done]/' "$work/plan") "$work/out"
check "-v: a skip with its reason" grep -qF '| same time on destination' "$work/out"
check "-v: no temporary file is told as deleted" test -z "$(grep -i 'FCT.*TMP' "$work/out")"

# ---- help ----
for help in -h --help; do
    run $help
    check "$help exits 0" test "$status" -eq 0
    check "$help shows the usage" grep -q '^Usage: farcast-run --select' "$work/out"
done
for name in CreateLogfile LogFileName VerboseLogging UnattendedMode Netware4xServers \
    LogoutTargetFileUser NeverOverwrite OverwriteOlder PromptOnOverwrite TargetPath \
    TrackDirectory SyncDirs CopySubDirs OnlyCopyExistingFiles PromptOnDeletion CopyAttributes \
    CopyInheritedRightsMask CopyTrustees CopyCompressed BufferSize; do
    check "--help explains --set $name with its default" grep -qE "^  $name +.*\[[^]]+\]$" "$work/out"
done
"$bin/farcast-netsim" -h >"$work/out" 2>&1
check "farcast-netsim -h" test $? -eq 0

# ---- --login-file ----
printf 'SUPERVISOR:NETWARE\n' >"$work/logins"
chmod 644 "$work/logins"
run --select LEGACY_FS --target '\DOSDATA' --login-file "$work/logins" '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "--login-file others can read: exit 2" test "$status" -eq 2
check "--login-file others can read: the message" grep -qxF \
    "farcast-run: --login-file $work/logins: group or others can read it. Keep passwords private: chmod 600 $work/logins" "$work/err"
check "--login-file others can read: nothing copied" test ! -e "$work/net/LEGACY_FS/DOSDATA/README.TXT"
chmod 600 "$work/logins"
run --select LEGACY_FS --target '\DOSDATA' --login-file "$work/logins" '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "--login-file: logged in and copied" grep -qF '[server] LEGACY_FS | status=done | files=1' "$work/out"
check "--login-file: the password is never printed" test -z "$(grep -r NETWARE "$work/out" "$work/err")"

# ---- questions at a terminal ----
fresh_network
at_terminal 'n\n' "$bin/farcast-run" "${sync_run[@]}"
check "terminal: a question answered n keeps the file" test -f "$old_report"
check "terminal: the question was asked there" grep -qF '[y]es, [n]o or [c]ancel? ' "$work/screen"
check "terminal: the answer is printed as given" grep -qF '[answer] No' "$work/screen"
at_terminal '\004' "$bin/farcast-run" "${sync_run[@]}"
check "terminal: the end of the input is not Yes" test -f "$old_report"
check "terminal: ... it is Cancel" grep -qF '[answer] Cancel' "$work/screen"
"$bin/farcast-run" "${sync_run[@]}" </dev/null >"$work/out" 2>"$work/err"
check "no terminal: the answer that goes on (Yes), as documented" test ! -e "$old_report"

# ---- a password asked at a terminal, without echo ----
fresh_network
at_terminal 'NETWARE\n' "$bin/farcast-run" --select LEGACY_FS --target '\DOSDATA' --login SUPERVISOR \
    --answer yes '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "terminal: the password is asked" grep -qF 'Password for SUPERVISOR: ' "$work/screen"
check "terminal: the password is not echoed" test -z "$(grep NETWARE "$work/screen")"
check "terminal: logged in with it" grep -qF '[server] LEGACY_FS | status=done | files=1' "$work/screen"
run --select LEGACY_FS --target '\DOSDATA' --login SUPERVISOR '\\ACME_HQ\DATA\PROJECTS\README.TXT' </dev/null
check "no terminal: a login without password is a usage error" test "$status" -eq 2

# ---- the progress line: on a terminal's standard error only ----
fresh_network
# A large file copied in 1 KiB chunks: the copy lasts long enough for the line to be redrawn
# with the server's figures, however fast the machine.
truncate -s 64M "$work/net/ACME_HQ/DATA/PROJECTS/big.bin"
at_terminal '' "$bin/farcast-run" --select ACME_SALES,ACME_BRANCH --target '\DATA' \
    --set BufferSize=1 '\\ACME_HQ\DATA\PROJECTS'
check "terminal: a progress line is drawn" grep -qaE $'\r(ACME_BRANCH|ACME_SALES)  [0-9,]+/[0-9,]+ files  .*left\e\\[K' "$work/screen"
check "terminal: it is erased before the summary" grep -qaF $'\r\e[K[box] Farcast | style=0x10040' "$work/screen"
# Passes side by side: the run draws the sum of both, naming both servers while both copy. The
# demo's round trips (a few milliseconds a chunk) keep both copying for seconds.
rm -rf "$work/net"
"$bin/farcast-netsim" demo "$work/net" >/dev/null
truncate -s 1M "$work/net/ACME_HQ/DATA/PROJECTS/big.bin"
at_terminal '' "$bin/farcast-run" --parallel 2 --select ACME_SALES,ACME_BRANCH --target '\DATA' \
    --set BufferSize=1 '\\ACME_HQ\DATA\PROJECTS'
check "terminal, --parallel 2: the line names both passes' servers" grep -qaE $'\r(ACME_BRANCH,ACME_SALES|ACME_SALES,ACME_BRANCH)  [0-9,]+/[0-9,]+ files  .*left\e\\[K' "$work/screen"
check "terminal, --parallel 2: it is erased before the summary" grep -qaF $'\r\e[K[box] Farcast | style=0x10040' "$work/screen"
"$bin/farcast-run" --parallel 2 --select ACME_SALES,ACME_BRANCH --target '\DATA' '\\ACME_HQ\DATA\PROJECTS' >"$work/out" 2>"$work/err"
check "not a terminal, --parallel 2: no progress line" test -z "$(grep -a $'\e' "$work/out" "$work/err")"
"$bin/farcast-run" --select ACME_SALES --target '\DATA' '\\ACME_HQ\DATA\PROJECTS' >"$work/out" 2>"$work/err"
check "not a terminal: no progress line" test -z "$(grep -a $'\e' "$work/out" "$work/err")"

# ---- the desktop program without a display ----
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/farcast" --version >"$work/out" 2>"$work/err"
check "farcast --version without a display" test $? -eq 0
check "farcast --version names the program" grep -qxE 'farcast [0-9]+\.[0-9]+\.[0-9]+' "$work/out"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/farcast" --help >"$work/out" 2>"$work/err"
check "farcast --help without a display" grep -q '^Usage: farcast' "$work/out"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/farcast" >"$work/out" 2>"$work/err"
check "farcast without a display exits 2" test $? -eq 2
check "farcast without a display says so in one line" test "$(wc -l <"$work/err")" -eq 1

# ---- XDG: a relative place is ignored ----
(
    cd "$work" && env -u FARCAST_NETWORK HOME="$work/home" XDG_DATA_HOME=relative \
        "$bin/farcast-netsim" check >"$work/out" 2>"$work/err"
)
check "a relative XDG_DATA_HOME is ignored" grep -qF "no network in $work/home/.local/share/farcast/network." "$work/err"

finish
