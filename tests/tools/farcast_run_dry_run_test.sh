#!/usr/bin/env bash
# farcast-run --dry-run on the demo network: it changes nothing (a digest of every file, time
# and NetWare metadata before and after), and the real run then does what the plan said and
# reports the same summary and server lines. Usage: farcast_run_dry_run_test.sh BIN_DIR
set -u
source "$(dirname "$0")/test_lib.sh"

# Every entry of the network: place, kind, size, time, bytes, and its NetWare metadata.
digest() {
    (cd "$work/net" && find . -path ./.netsim -prune -o -print | LC_ALL=C sort | while read -r p; do
        stat -c '%n %F %s %Y' "$p"
        [ -f "$p" ] && sha1sum <"$p"
        case $p in ./*/*/*) "$bin/farcast-netsim" stat "$work/net/${p#./}" ;; esac
    done)
}

local_path() {  # local_path '\\SERVER\VOLUME\path' -> the file under the network root
    local p=${1#\\\\}
    echo "$work/net/${p//\\//}"
}

"$bin/farcast-netsim" demo "$work/net" >/dev/null
sales=$work/net/ACME_SALES/DATA/PROJECTS
mkdir -p "$sales/Website Redesign" "$sales/Stale/Deeper"
echo 'an older readme' >"$sales/README.TXT"
touch -d '1999-01-01' "$sales/README.TXT"
echo 'edited on the sales server' >"$sales/Budget Forecast.csv"
touch -d '2035-01-01' "$sales/Budget Forecast.csv"
echo 'left over' >"$sales/Stale/Deeper/old.txt"

args=(--select ACME_SALES,ACME_BRANCH --target '\DATA' --set CopySubDirs=1 --set SyncDirs=1
      --set OverwriteOlder=1 '\\ACME_HQ\DATA\PROJECTS')
before=$(digest)
"$bin/farcast-run" --dry-run "${args[@]}" >"$work/plan" 2>&1
dry_status=$?
check "the dry run changes nothing on the network" test "$(digest)" = "$before"
check "no temporary file" test -z "$(find "$work/net" -name 'FCT*.TMP')"
grep '^\[plan\]' "$work/plan" >"$work/plan.lines"
check "the plan makes a directory on the empty server" grep -qxF \
    '[plan] ACME_BRANCH mkdir \\ACME_BRANCH\DATA\PROJECTS' "$work/plan.lines"
check "the plan replaces an older file" grep -qxF \
    '[plan] ACME_SALES replace \\ACME_HQ\DATA\PROJECTS\README.TXT -> \\ACME_SALES\DATA\PROJECTS\README.TXT' \
    "$work/plan.lines"
check "the plan skips a newer file with its reason" grep -qxF \
    '[plan] ACME_SALES skip \\ACME_HQ\DATA\PROJECTS\Budget Forecast.csv -> \\ACME_SALES\DATA\PROJECTS\Budget Forecast.csv | newer on destination' \
    "$work/plan.lines"
check "the plan deletes what the source lacks" grep -qxF \
    '[plan] ACME_SALES delete \\ACME_SALES\DATA\PROJECTS\Old Report.txt' "$work/plan.lines"
check "the plan removes a stale tree, depth first" test "$(grep -E 'Stale' "$work/plan.lines")" = \
'[plan] ACME_SALES delete \\ACME_SALES\DATA\PROJECTS\Stale\Deeper\old.txt
[plan] ACME_SALES rmdir \\ACME_SALES\DATA\PROJECTS\Stale\Deeper
[plan] ACME_SALES rmdir \\ACME_SALES\DATA\PROJECTS\Stale'

"$bin/farcast-run" "${args[@]}" >"$work/real" 2>&1
real_status=$?
check "the same exit status" test "$dry_status" -eq "$real_status"
check "the real run changed the network" test "$(digest)" != "$before"
check "the digest holds the metadata" grep -q '^attributes=0x00000021$' <<<"$before"
check "the same boxes, summary and server lines" \
    test "$(grep -v '^\[plan\]' "$work/plan")" = "$(cat "$work/real")"

# Each planned action happened, and nothing else changed.
while read -r _ server verb rest; do
    case $verb in
        mkdir) check "made: $rest" test -d "$(local_path "$rest")" ;;
        copy | replace)
            from=$(local_path "${rest%% -> *}")
            to=$(local_path "${rest##* -> }")
            check "$verb: $to" cmp -s "$from" "$to" ;;
        skip)
            to=${rest##* -> }
            to=$(local_path "${to%% | *}")
            check "skipped and kept: $to" test -e "$to" ;;
        delete) check "deleted: $rest" test ! -e "$(local_path "$rest")" ;;
        rmdir) check "removed: $rest" test ! -e "$(local_path "$rest")" ;;
        *) check "a known verb: $verb" false ;;
    esac
done <"$work/plan.lines"
check "the newer file on the destination is as it was" \
    test "$(cat "$sales/Budget Forecast.csv")" = 'edited on the sales server'
check "files the plan does not name were not touched" \
    test "$(grep -c '^\[plan\] ACME_SALES' "$work/plan.lines")" -ge 8

finish
