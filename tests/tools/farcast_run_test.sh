#!/usr/bin/env bash
# farcast-run and farcast-netsim as scripts use them: exit statuses, printed boxes, and a real
# copy of a tree on the demo network. Usage: farcast_run_test.sh BIN_DIR
set -u
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data FARCAST_NETWORK=$work/net
passed=0
failed=0

check() {  # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
    fi
}

run() {  # run farcast-run, keeping its output and exit status
    "$bin/farcast-run" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

"$bin/farcast-netsim" demo "$work/net" >/dev/null
check "demo network passes check" "$bin/farcast-netsim" check

run --select ACME_SALES '\\ACME_HQ\DATA\PROJECTS'
check "empty destination ends the run before copying" test "$status" -eq 1
check "empty destination message" grep -qx 'You must specify a destination path for file copies.' "$work/out"

run --select NO_SUCH_SERVER --target '\DATA' '\\ACME_HQ\DATA\PROJECTS'
check "unknown server is a usage error" test "$status" -eq 2

FARCAST_NETWORK=$work/missing run --select ACME_SALES --target '\DATA' '\\ACME_HQ\DATA\PROJECTS'
check "an unusable network exits 2" test "$status" -eq 2

run --select ACME_SALES,ACME_BRANCH --target '\DATA' --set CopySubDirs=1 '\\ACME_HQ\DATA\PROJECTS'
check "a run that reaches its summary exits 0" test "$status" -eq 0
check "summary box printed" grep -q '^\[box\] Farcast | style=0x10040$' "$work/out"
check "tree copied to the first server" cmp -s "$work/net/ACME_HQ/DATA/PROJECTS/README.TXT" \
    "$work/net/ACME_SALES/DATA/PROJECTS/README.TXT"
check "tree copied to the second server" test -f \
    "$work/net/ACME_BRANCH/DATA/PROJECTS/Website Redesign/index.html"
check "no temporary file left" test -z "$(find "$work/net" -iname 'FCT*.TMP')"
check "options are never written" test ! -e "$work/config/farcast/user.reg"

run --select LEGACY_FS --target '\DOSDATA' --answer yes --login SUPERVISOR:NETWARE \
    '\\ACME_HQ\DATA\PROJECTS\Quarterly Report 1996.txt'
check "login dialog answered from --login" grep -q '^\[answer\] OK SUPERVISOR$' "$work/out"
check "long name lands under its alias on a DOS volume" test -n \
    "$(find "$work/net/LEGACY_FS/DOSDATA" -maxdepth 1 -name 'QUARTE~*.TXT')"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
