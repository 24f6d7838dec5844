# Runs one fuzz target for SECONDS seconds on a fresh copy of the seed corpus SEEDS, working in
# WORK, so the repository's seeds are never written. Fails when the target reports a finding.
#   cmake -DFUZZER=<target> -DSEEDS=<dir> -DWORK=<dir> -DSECONDS=<n> -P run_fuzz_target.cmake

foreach(variable FUZZER SEEDS WORK SECONDS)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "run_fuzz_target.cmake: ${variable} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(GLOB seeds "${SEEDS}/*")
if(NOT seeds)
    message(FATAL_ERROR "no seeds in ${SEEDS}")
endif()
file(COPY ${seeds} DESTINATION "${WORK}/corpus")

execute_process(
    COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=5 -max_len=4096
            -print_final_stats=1 "-artifact_prefix=${WORK}/artifacts/" "${WORK}/corpus"
    RESULT_VARIABLE result)

file(GLOB findings "${WORK}/artifacts/*")
if(NOT result EQUAL 0 OR findings)
    message(FATAL_ERROR "${FUZZER} failed (exit status ${result}); findings: ${findings}")
endif()
