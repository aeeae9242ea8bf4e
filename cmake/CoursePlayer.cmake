# Shared build settings of the course player.

option(CP_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

# Qt's headers come in as system headers, so -Wpedantic speaks of our own code only. The ci
# preset turns every warning into an error.
function(cp_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# cp_add_library(name SOURCES ... DEPS ...): one static library per src/ folder.
function(cp_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    cp_warnings(${name})
endfunction()

# cp_add_test(name SOURCES ... DEPS ...): one Qt Test executable, registered with CTest and
# run headless, so that a bare `ctest` passes on a machine without a display.
function(cp_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_DEPS})
    target_compile_definitions(${name} PRIVATE
        CP_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        CP_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    # Shared test helpers are included as "tests/...".
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    cp_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 240)
    endif()
    if(name IN_LIST CP_SANITIZED_TESTS)
        set_tests_properties(${name} PROPERTIES LABELS sanitize)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox;QT_LOGGING_RULES=qt.webenginecontext.debug=false;LC_ALL=C.UTF-8")
endfunction()
