#!/usr/bin/env bash
# farcast-run and farcast-netsim as scripts use them: exit statuses, printed boxes, server and
# skipped lines, and real copies of a tree on the demo network. Usage: farcast_run_test.sh BIN_DIR
set -u
source "$(dirname "$0")/test_lib.sh"

run() {  # run farcast-run, keeping its output and exit status
    "$bin/farcast-run" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

line() {  # line TEXT: the output holds exactly this line
    grep -qxF -- "$1" "$work/out"
}

fresh_network() {
    rm -rf "$work/net"
    "$bin/farcast-netsim" demo "$work/net" >/dev/null
}

# ---- versions, help, usage ----
"$bin/farcast-run" --version >"$work/out" 2>"$work/err"
check "farcast-run --version exits 0" test $? -eq 0
check "farcast-run --version names the program and version" \
    grep -qxE 'farcast-run [0-9]+\.[0-9]+\.[0-9]+' "$work/out"
"$bin/farcast-netsim" --version >"$work/out" 2>"$work/err"
check "farcast-netsim --version" grep -qxE 'farcast-netsim [0-9]+\.[0-9]+\.[0-9]+' "$work/out"
run --help
check "--help exits 0" test "$status" -eq 0
check "--help lists --dry-run" grep -q -- '--dry-run' "$work/out"
check "--help lists --parallel" grep -q -- "--parallel N  .*runs up to N servers' passes at once" "$work/out"
check "the usage names --parallel" grep -q -- '\[--dry-run\] \[--parallel N\] \[-q|-v\] PATH' "$work/out"
check "--help gives the exit statuses" grep -q '^Exit status: 0 done, 3 done but' "$work/out"
run --select ACME_SALES --bogus x
check "an unknown option is a usage error" test "$status" -eq 2
check "a usage error shows the usage" grep -q '^Usage: farcast-run --select' "$work/err"

# ---- no network where the tools look ----
run --select ACME_SALES --target '\DATA' '\\ACME_HQ\DATA\PROJECTS'
check "no network exits 2" test "$status" -eq 2
check "no network: the message" grep -qxF \
    "farcast-run: no network in $work/net. Create the demo network there with: farcast-netsim demo $work/net" \
    "$work/err"
FARCAST_NETWORK="$work/a dir" "$bin/farcast-netsim" check >"$work/out" 2>"$work/err"
check "farcast-netsim without a network exits 1" test $? -eq 1
check "farcast-netsim names the place and quotes the command's word" grep -qxF \
    "farcast-netsim: no network in $work/a dir. Create the demo network there with: farcast-netsim demo '$work/a dir'" \
    "$work/err"

fresh_network
check "demo network passes check" "$bin/farcast-netsim" check

# ---- 1: ended before copying; 2: usage ----
run --select ACME_SALES '\\ACME_HQ\DATA\PROJECTS'
check "empty destination ends the run before copying" test "$status" -eq 1
check "empty destination message" line 'You must specify a destination path for file copies.'
check "no server lines when the run ended before copying" test -z "$(grep '^\[server\]' "$work/out")"
run --select NO_SUCH_SERVER --target '\DATA' '\\ACME_HQ\DATA\PROJECTS'
check "unknown server is a usage error" test "$status" -eq 2

# ---- 0: done ----
run --select ACME_SALES,ACME_BRANCH --target '\DATA' --set CopySubDirs=1 '\\ACME_HQ\DATA\PROJECTS'
check "a run that did everything exits 0" test "$status" -eq 0
check "summary box printed" line '[box] Farcast | style=0x10040'
check "server lines in list order" test "$(grep '^\[server\]' "$work/out" | cut -d' ' -f2 | tr '\n' ' ')" = "ACME_BRANCH ACME_SALES "
check "server line of a done server" line \
    '[server] ACME_BRANCH | status=done | files=7 bytes=216 errors=0 deleted_files=0 deleted_dirs=0'
check "tree copied to the first server" cmp -s "$work/net/ACME_HQ/DATA/PROJECTS/README.TXT" \
    "$work/net/ACME_SALES/DATA/PROJECTS/README.TXT"
check "tree copied to the second server" test -f \
    "$work/net/ACME_BRANCH/DATA/PROJECTS/Website Redesign/index.html"
check "no temporary file left" test -z "$(find "$work/net" -iname 'FCT*.TMP')"
check "options are never written" test ! -e "$work/config/farcast/user.reg"

# ---- 3: a server given up ----
run --select ACME_BRANCH,ACME_SALES --target '\NOWHERE' '\\ACME_HQ\DATA\PROJECTS\README.TXT'
check "a server given up exits 3" test "$status" -eq 3
check "server lines of servers given up" line \
    '[server] ACME_SALES | status=given-up | files=0 bytes=0 errors=1 deleted_files=0 deleted_dirs=0'

# ---- 3: a name left out ----
run --select ACME_BRANCH --target '\DATA\INCOMING' '\\ACME_HQ\DATA\PROJECTS\README.TXT' \
    '\\ACME_HQ\DATA\PROJECTS\NO SUCH FILE.TXT'
check "a missing dropped name exits 3" test "$status" -eq 3
check "skipped line of a missing name" line '[skipped] \\ACME_HQ\DATA\PROJECTS\NO SUCH FILE.TXT | does not exist'
check "the rest is copied" test -f "$work/net/ACME_BRANCH/DATA/INCOMING/README.TXT"
ln -s README.TXT "$work/net/ACME_HQ/DATA/PROJECTS/link.txt"
mkfifo "$work/net/ACME_HQ/DATA/PROJECTS/pipe"
touch "$work/net/ACME_HQ/DATA/PROJECTS/back\\slash.txt"
run --select ACME_BRANCH --target '\DATA\INCOMING' "$work/net/ACME_HQ/DATA/PROJECTS/link.txt" \
    "$work/net/ACME_HQ/DATA/PROJECTS/pipe" "$work/net/ACME_HQ/DATA/PROJECTS/back\\slash.txt" \
    "$work/net/ACME_HQ/DATA/PROJECTS/Budget Forecast.csv"
check "links, special files and bad names exit 3" test "$status" -eq 3
check "a link is left out" line \
    "[skipped] $work/net/ACME_HQ/DATA/PROJECTS/link.txt | a symbolic link or special file is not a NetWare entry"
check "a special file is left out" line \
    "[skipped] $work/net/ACME_HQ/DATA/PROJECTS/pipe | a symbolic link or special file is not a NetWare entry"
check "a name that cannot be a NetWare name is left out" line \
    "[skipped] $work/net/ACME_HQ/DATA/PROJECTS/back\\slash.txt | cannot be a NetWare name"
check "the link's target was not copied under the link's name" test ! -e \
    "$work/net/ACME_BRANCH/DATA/INCOMING/link.txt"
check "a local path under the network root is copied" test -n \
    "$(find "$work/net/ACME_BRANCH/DATA/INCOMING" -iname 'Budget Forecast.csv')"
rm -f "$work/net/ACME_HQ/DATA/PROJECTS/link.txt" "$work/net/ACME_HQ/DATA/PROJECTS/pipe" \
    "$work/net/ACME_HQ/DATA/PROJECTS/back\\slash.txt"

# ---- 3: an error message ----
cp "$work/net/network.toml" "$work/network.toml.saved"
cat >>"$work/net/network.toml" <<'EOF'

[[fault]]
call = "NWOpenNSEntry"
path = '\\ACME_HQ\DATA\PROJECTS\Budget*'
code = 0x8994
EOF
run --select ACME_BRANCH --target '\DATA\INCOMING' --set UnattendedMode=1 --set CreateLogfile=1 \
    --set "LogFileName=$work/run.log" '\\ACME_HQ\DATA\PROJECTS'
check "an error message exits 3" test "$status" -eq 3
check "the error counts on its server" line \
    '[server] ACME_BRANCH | status=done | files=3 bytes=111 errors=1 deleted_files=0 deleted_dirs=0'
check "the error is in the log" grep -q 'ERROR - Unable to open file \\\\ACME_HQ\\DATA\\PROJECTS\\Budget Forecast.csv' "$work/run.log"
cp "$work/network.toml.saved" "$work/net/network.toml"

# ---- 3: stopped, and the servers after it not reached ----
run --select ACME_BRANCH,ACME_SALES --target '\DATA' --set CopySubDirs=1 \
    --set PromptOnOverwrite=1 --answer cancel '\\ACME_HQ\DATA\PROJECTS'
check "a stopped run exits 3" test "$status" -eq 3
check "the server the run stopped on" line \
    '[server] ACME_BRANCH | status=stopped | files=0 bytes=0 errors=0 deleted_files=0 deleted_dirs=0'
check "the server the run did not reach" line \
    '[server] ACME_SALES | status=not-reached | files=0 bytes=0 errors=0 deleted_files=0 deleted_dirs=0'

# ---- synchronisation: deletions per server ----
echo extra >"$work/net/ACME_SALES/DATA/PROJECTS/extra.txt"
mkdir -p "$work/net/ACME_SALES/DATA/PROJECTS/Stale/Deeper"
echo x >"$work/net/ACME_SALES/DATA/PROJECTS/Stale/Deeper/x.txt"
run --select ACME_SALES --target '\DATA' --set CopySubDirs=1 --set SyncDirs=1 \
    --set NeverOverwrite=1 '\\ACME_HQ\DATA\PROJECTS'
check "a synchronisation that deleted what it should exits 0" test "$status" -eq 0
check "deletions on the server line" line \
    '[server] ACME_SALES | status=done | files=0 bytes=0 errors=0 deleted_files=3 deleted_dirs=2'

# ---- the login dialog, a DOS volume ----
run --select LEGACY_FS --target '\DOSDATA' --answer yes --login SUPERVISOR:NETWARE \
    '\\ACME_HQ\DATA\PROJECTS\Quarterly Report 1996.txt'
check "login dialog answered from --login" line '[answer] OK SUPERVISOR'
check "long name lands under its alias on a DOS volume" test -n \
    "$(find "$work/net/LEGACY_FS/DOSDATA" -maxdepth 1 -name 'QUARTE~*.TXT')"

# ---- the exit status counts what went wrong, and only that ----
# Each row: what it shows; expected exit status; a line the output or stderr holds; arguments.
# A warning is no error; a server the options pass over is no failure; unattended without a log
# is refused before anything is counted; a log that cannot be written (/dev/full: no space, for
# real) makes the run end 3 although every file arrived.
fresh_network
readme='\\ACME_HQ\DATA\PROJECTS\README.TXT'
while IFS=';' read -r what want expected args; do
    eval "set -- $args"
    run "$@" "$readme"
    check "$what: exit $want" test "$status" -eq "$want"
    check "$what: says so" grep -qxF -- "$expected" "$work/out" "$work/err"
done <<'ROWS'
an expired password is a warning;0;[server] LEGACY_FS | status=done | files=1 bytes=51 errors=0 deleted_files=0 deleted_dirs=0;--select LEGACY_FS --target '\SYS' --login GUEST:
a bindery server under Netware4xServers is passed over;0;[server] LEGACY_FS | status=passed-over | files=0 bytes=0 errors=0 deleted_files=0 deleted_dirs=0;--select LEGACY_FS,ACME_SALES --target '\DATA' --set Netware4xServers=1
unattended without a log is refused;2;A log file name is required if you want to log messages.;--select ACME_BRANCH --target '\DATA' --set UnattendedMode=1
a log that cannot be written;3;[server] ACME_SALES | status=done | files=1 bytes=51 errors=0 deleted_files=0 deleted_dirs=0;--select ACME_SALES --target '\DATA\INCOMING' --set UnattendedMode=1 --set CreateLogfile=1 --set LogFileName=/dev/full --set Netware4xServers=1
ROWS
run --select ACME_BRANCH --target '\DATA' --set UnattendedMode=1 "$readme"
check "unattended without a log shows and copies nothing" test ! -s "$work/out" -a \
    ! -e "$work/net/ACME_BRANCH/DATA/README.TXT"

finish
