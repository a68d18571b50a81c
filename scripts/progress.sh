# Sourced by the scripts that install and build: shows a long step's progress
# on one line of the terminal that keeps being rewritten, so that a first run
# of several minutes never looks hung. Off a terminal nothing is shown.

# progress_line TEXT: the line as it stands now.
progress_line() {
    [ -t 2 ] || return 0
    local width
    width=$(tput cols 2>/dev/null || echo 80)
    [ "$width" -ge 20 ] 2>/dev/null || width=80
    printf '\r\033[K%s' "${1:0:width-1}" >&2
}

# progress_done: clears the line for what comes next.
progress_done() {
    [ -t 2 ] || return 0
    printf '\r\033[K' >&2
}

# build_progress WHAT LOG: reads a CMake build's output, appends it all to LOG
# and shows how far the build is: the share of its steps done and how many
# steps this run made.
build_progress() {
    local what="$1" log="$2" line steps=0 name verb
    while IFS= read -r line; do
        printf '%s\n' "$line" >>"$log"
        if [[ $line =~ ^\[\ *([0-9]+)%\]\ (Building|Linking|Generating)\ (.*) ]]; then
            steps=$((steps + 1))
            name="${BASH_REMATCH[3]##*[/ ]}"
            verb="${BASH_REMATCH[2]/Building/compiling}"
            progress_line "building $what: ${BASH_REMATCH[1]}% done, step $steps: ${verb,} ${name%.o}"
        fi
    done
    progress_done
}

# apt_progress: reads the lines of apt-get's status descriptor (-o
# APT::Status-Fd) and shows the share done and what apt does now.
apt_progress() {
    local kind item percent text
    while IFS=: read -r kind item percent text; do
        case "$kind" in
            dlstatus | pmstatus) progress_line "setup: ${percent%%.*}% ${text}" ;;
        esac
    done
    progress_done
}
