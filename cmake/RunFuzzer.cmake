# Runs one libFuzzer target for a bounded time from a scratch copy of its seeds.
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
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "fuzzer ${FUZZER} failed with ${result}")
endif()
