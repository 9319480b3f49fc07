# Build settings and helpers shared by every folder of the project.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

option(TESS_SANITIZE "Build the native tree with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
option(TESS_BENCH "Build the benchmarks (native tree)" OFF)
option(TESS_TESTS "Build the test programs" ON)

enable_testing()

# GoogleTest from Debian's source package, built in each tree with its compiler,
# before our warning flags so that its own code is not judged by them.
set(TESS_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(TESS_TESTS AND NOT TESS_BENCH)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(${TESS_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    foreach(target gtest gtest_main gmock gmock_main)
        target_compile_options(${target} PRIVATE -O1)
    endforeach()
endif()

add_compile_options(-Wall -Wextra -ffp-contract=off)
include_directories(${CMAKE_SOURCE_DIR})

if(WIN32)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
        # SSE arithmetic so doubles round as in the native build (no x87 extended precision).
        add_compile_options(-msse2 -mfpmath=sse)
        # The C run time's malloc, and so a plain new, gives 8-byte alignment
        # here; the compiler must call the aligned new for anything that asks
        # for more (the SSE2 tables of the encoders).
        add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-faligned-new=8>)
    endif()
    add_compile_definitions(NOMINMAX)
    # Only system DLLs at run time: the compiler's run-time libraries go in statically.
    add_link_options(-static -static-libgcc -static-libstdc++)
    set(TESS_PATH_PREFIX "Z:")
    # Test programs run under Wine in a prefix private to this build tree.
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run ${CMAKE_BINARY_DIR})
else()
    set(TESS_PATH_PREFIX "")
    if(TESS_SANITIZE)
        add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
        add_link_options(-fsanitize=address,undefined)
    endif()
endif()

# Tests run from the repo root and name their data and scratch folders relative
# to it, so that no absolute path reaches a compile command and a fresh clone
# elsewhere (CI) still hits the compiler cache.
set(TESS_SCRATCH_DIR "${CMAKE_BINARY_DIR}/scratch")
file(MAKE_DIRECTORY ${TESS_SCRATCH_DIR})
file(RELATIVE_PATH TESS_SCRATCH_REL ${CMAKE_SOURCE_DIR} ${TESS_SCRATCH_DIR})
set(TESS_RESULTS_DIR "${CMAKE_BINARY_DIR}/test-results")

# tess_library(NAME n OUTPUT file DEFINE export_define SOURCES ... LINK ...)
# An OBJECT library n_objs (for tests of internals) and the SHARED deliverable n.
function(tess_library)
    cmake_parse_arguments(L "" "NAME;OUTPUT;DEFINE" "SOURCES;LINK" ${ARGN})
    add_library(${L_NAME}_objs OBJECT ${L_SOURCES})
    target_compile_definitions(${L_NAME}_objs PUBLIC ${L_DEFINE})
    if(L_LINK)
        target_link_libraries(${L_NAME}_objs PUBLIC ${L_LINK})
    endif()
    add_library(${L_NAME} SHARED $<TARGET_OBJECTS:${L_NAME}_objs>)
    set_target_properties(${L_NAME} PROPERTIES OUTPUT_NAME ${L_OUTPUT} PREFIX "")
    if(NOT WIN32)
        set_target_properties(${L_NAME} PROPERTIES PREFIX "lib")
    endif()
    if(L_LINK)
        target_link_libraries(${L_NAME} PUBLIC ${L_LINK})
    endif()
endfunction()

# tess_test(NAME n SOURCES ... LINK ... [NATIVE_ONLY] [WIN_ONLY] [NO_MAIN])
# A GoogleTest program registered with CTest; in the Windows tree CTest runs it
# under Wine through the cross-compiling emulator.
function(tess_test)
    cmake_parse_arguments(T "NATIVE_ONLY;WIN_ONLY;NO_MAIN" "NAME" "SOURCES;LINK" ${ARGN})
    if(NOT TESS_TESTS OR (T_NATIVE_ONLY AND WIN32) OR (T_WIN_ONLY AND NOT WIN32))
        return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    # Test code is most of a cold build and its optimisation buys nothing: the
    # code under test keeps its tree's level (what ships, or what the
    # sanitizers see), the test's own sources are built for compile speed.
    if(WIN32)
        target_compile_options(${T_NAME} PRIVATE -O1)
    else()
        target_compile_options(${T_NAME} PRIVATE -O0)
    endif()
    if(T_NO_MAIN)
        target_link_libraries(${T_NAME} PRIVATE ${T_LINK} gtest gmock)
    else()
        target_link_libraries(${T_NAME} PRIVATE ${T_LINK} gtest gmock gtest_main)
    endif()
    target_compile_definitions(${T_NAME} PRIVATE
        TESS_TESTDATA_DIR="testdata"
        TESS_SCRATCH_DIR="${TESS_SCRATCH_REL}")
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "GTEST_OUTPUT=xml:${TESS_PATH_PREFIX}${TESS_RESULTS_DIR}/${T_NAME}.xml"
        TIMEOUT 900)
endfunction()
