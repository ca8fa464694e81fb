# Runs the cross-built programs under Wine, in the build's own prefix, with
# the Wine loader of this build's target. <build>/wine-exec.sh is what every
# test and benchmark calls: it fixes the target, whatever the caller's
# environment says.
set(KELVORIA_WINE_EXEC ${CMAKE_BINARY_DIR}/wine-exec.sh)
file(WRITE ${KELVORIA_WINE_EXEC}
    "#!/usr/bin/env bash\n"
    "# Written by CMake: scripts/wine-exec.sh for the ${KELVORIA_ARCH} target.\n"
    "KELVORIA_ARCH=${KELVORIA_ARCH} exec bash ${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh \"$@\"\n")
file(CHMOD ${KELVORIA_WINE_EXEC} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${KELVORIA_WINE_EXEC} ${KELVORIA_WINEPREFIX} ${KELVORIA_RUN_DIR})

# kelvoria_add_test(NAME SOURCES... [LIBS libs...] [LABELS labels...])
# A GoogleTest program run as one ctest entry under Wine.
function(kelvoria_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;FIXTURES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    if(ARG_FIXTURES)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${ARG_FIXTURES}")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
