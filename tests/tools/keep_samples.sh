# Sourced by the check scripts that judge the samples test programs write.
# Expects build (the build folder), work (a scratch folder) and samples (where
# the programs keep what they write).

# Runs the functions of a test program that keep their samples; stops at a failure.
keep_samples() {
    local program=$1
    shift
    if ! VELTRACE_KEEP_DIR="$samples" QT_QPA_PLATFORM=offscreen "$build/tests/$program" "$@" \
        >"$work/$program.log" 2>&1; then
        cat "$work/$program.log"
        exit 1
    fi
}
