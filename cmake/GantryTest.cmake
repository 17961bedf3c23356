# gantry_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [DEPENDS ...])
#
# Builds one GoogleTest program and registers it with CTest as one test.
# LABELS name the subsystem (common, rp1210, driver, device, model, ui) and,
# for tests of code shared between threads, "concurrency": those also run in
# the ThreadSanitizer build, which builds only the target concurrency_tests.
# DEPENDS lists targets (libraries loaded with dlopen, helper programs) that
# must be built before the test runs.
add_custom_target(concurrency_tests)

function(gantry_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main
                                          GTest::gmock Threads::Threads)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    if(ARG_DEPENDS)
        add_dependencies(${name} ${ARG_DEPENDS})
    endif()
    set(command $<TARGET_FILE:${name}>)
    if(GANTRY_SANITIZE STREQUAL "thread")
        # TSan needs a fixed address layout on kernels with large mmap randomisation.
        set(command setarch ${CMAKE_SYSTEM_PROCESSOR} -R $<TARGET_FILE:${name}>)
    endif()
    add_test(NAME ${name} COMMAND ${command})
    # A safety net: a test that forgets to make its own Gantry directory still
    # never touches the real one under $HOME.
    set(sandbox ${CMAKE_BINARY_DIR}/test-gantry/${name})
    file(MAKE_DIRECTORY ${sandbox})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 600
                         ENVIRONMENT "GANTRY_DIR=${sandbox};QT_QPA_PLATFORM=offscreen")
    if("concurrency" IN_LIST ARG_LABELS)
        add_dependencies(concurrency_tests ${name})
    endif()
endfunction()

# gantry_add_fuzzer(<name> SOURCES ... [LIBS ...] [CORPUS dir] [SECONDS n])
#
# A libFuzzer target over a real decoder. Built only in the fuzz build
# (GANTRY_SANITIZE=fuzz, clang), where it is also a CTest test labelled "fuzz"
# that runs for SECONDS (default 30) from the seed CORPUS, copied to a scratch
# folder so the seeds in the tree never change.
add_custom_target(fuzz_targets)

function(gantry_add_fuzzer name)
    if(NOT GANTRY_SANITIZE STREQUAL "fuzz")
        return()
    endif()
    cmake_parse_arguments(ARG "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_SECONDS)
        set(ARG_SECONDS 30)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_targets ${name})
    set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    set(seeds "")
    if(ARG_CORPUS)
        set(seeds ${ARG_CORPUS})
    endif()
    add_test(NAME ${name}
             COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${name}> -DWORK=${work}
                     -DSEEDS=${seeds} -DSECONDS=${ARG_SECONDS}
                     -P ${PROJECT_SOURCE_DIR}/cmake/RunFuzzer.cmake)
    set_tests_properties(${name} PROPERTIES LABELS "fuzz" TIMEOUT 900
                         ENVIRONMENT "GANTRY_DIR=${CMAKE_BINARY_DIR}/test-gantry/${name}")
endfunction()
