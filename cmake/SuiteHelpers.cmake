# suite_add_gtest(<name> SOURCES <files...> LIBS <libs...> [LABELS <labels...>])
# One GoogleTest executable, registered with CTest test by test. Widget tests run offscreen;
# SUITE_BUILD_DIR and SUITE_EXE_DIR tell tests where the built programs lie.
function(suite_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        SUITE_BUILD_DIR="${CMAKE_BINARY_DIR}"
        SUITE_EXE_DIR="${SUITE_EXE_DIR}"
        SUITE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    include(GoogleTest)
    gtest_discover_tests(${name}
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${ARG_LABELS}"
        DISCOVERY_TIMEOUT 60)
endfunction()
