# Runs one libFuzzer target for a bounded time from a scratch copy of its seeds,
# and appends its runs and speed to runs.txt beside the scratch folders.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
if(SEEDS AND EXISTS ${SEEDS})
    file(GLOB seed_files ${SEEDS}/*)
    if(seed_files)
        file(COPY ${seed_files} DESTINATION ${WORK})
    endif()
endif()
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -max_len=4096 -print_final_stats=1
                        ${WORK}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
string(REGEX MATCH "Done [0-9]+ runs in [0-9]+ second" done "${output}")
string(REGEX MATCH "average_exec_per_sec: *[0-9]+" speed "${output}")
string(REGEX REPLACE "[^0-9]" "" speed "${speed}")
get_filename_component(name ${FUZZER} NAME)
get_filename_component(folder ${WORK} DIRECTORY)
file(APPEND ${folder}/runs.txt "${name}: ${done}s, ${speed} runs/s\n")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "fuzzer ${FUZZER} failed with ${result}")
endif()
