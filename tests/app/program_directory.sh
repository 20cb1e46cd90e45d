# Sourced by the real-window tests. make_program_directory WORK EXECUTABLE CONFIG [END_ACTION]:
# lays out WORK/program with a copy of the executable and CONFIG, the media library already
# chosen so that start-up asks nothing (and entry 5 set to END_ACTION when given), and keeps
# the user's directories inside WORK.
make_program_directory() {
    local work=$1 executable=$2 config=$3 action=${4:-}
    mkdir -p "$work/program/AUDIO" "$work/config" "$work/runtime"
    chmod 700 "$work/runtime"
    cp "$executable" "$work/program/orvessa"
    awk -v lib="$work/program/AUDIO/" -v action="$action" \
        'BEGIN { ORS = "" }
         NR == 6 && action != "" { print action "\r\n"; next }
         NR == 12 { print lib "\r\n"; next }
         { print $0 "\n" }' \
        "$config" > "$work/program/orvessa.sys"
    export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" XDG_STATE_HOME="$work/state"
    unset QT_QPA_PLATFORM
}
