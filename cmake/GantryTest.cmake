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
