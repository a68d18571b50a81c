# Sourced by scripts that test under load: start_busy_load keeps both cores of
# a small machine busy with two loops until the script ends.
busy=()
stop_busy_load() {
    for pid in "${busy[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${busy[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
}
start_busy_load() {
    trap stop_busy_load EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    for _ in 1 2; do
        (while :; do :; done) &
        busy+=($!)
    done
    echo "== load: busy loops ${busy[*]}"
}
