# What the command-line tests share: BIN_DIR made absolute, a private work directory with its
# own settings, data and network places, and check, which counts and reports each condition.
# Sourced by each test with BIN_DIR as its first argument.
bin=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data FARCAST_NETWORK=$work/net
passed=0
failed=0

check() {  # check NAME CONDITION...: on failure the latest output is shown
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
        [ -f "$work/out" ] && sed 's/^/    out: /' "$work/out" | tail -20
        [ -f "$work/err" ] && sed 's/^/    err: /' "$work/err" | tail -5
    fi
    return 0
}

finish() {  # the closing line and the exit status
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
