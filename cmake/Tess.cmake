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
    if(NOT WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # An ELF shared object lets every exported function be replaced at load
        # time, so GCC would not inline one into its callers in the same file;
        # a DLL has no such rule, and the native libraries are built as they ship.
        target_compile_options(${L_NAME}_objs PRIVATE -fno-semantic-interposition)
    endif()
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

# The compile settings every test program's own sources share (and the
# precompiled headers below, which must be made with the same ones).
function(tess_test_compile_settings target)
    # Test code is most of a cold build and its optimisation buys nothing: the
    # code under test keeps its tree's level (what ships, or what the
    # sanitizers see), the test's own sources are built for compile speed.
    if(WIN32)
        target_compile_options(${target} PRIVATE -O1)
    else()
        target_compile_options(${target} PRIVATE -O0)
    endif()
    target_compile_definitions(${target} PRIVATE
        TESS_TESTDATA_DIR="testdata"
        TESS_SCRATCH_DIR="${TESS_SCRATCH_REL}")
endfunction()

# Precompiled headers of the test programs: GoogleTest and the standard
# headers most tests use are parsed once per tree, not once per test source.
# A header is made with the macros its users see, so the programs on the class
# library (its STRICT and _WIN32_WINNT change what <windows.h> declares) take
# a second one with the class library's headers in it. Each program is given
# its header once the whole tree is read, when its libraries are known: the
# top folder calls tess_test_give_pch last.
set(TESS_TEST_PCH_HEADERS
    <gtest/gtest.h> <algorithm> <cstdint> <cstdio> <cstdlib> <cstring> <filesystem>
    <fstream> <functional> <map> <memory> <sstream> <string> <vector>)
option(TESS_TEST_PCH "Precompile the common headers of the test programs" ON)
function(tess_test_pch name)
    cmake_parse_arguments(P "" "" "LINK;HEADERS" ${ARGN})
    # An executable, so that it is compiled exactly as the test programs are
    # (position-independent as an executable, not as a library).
    add_executable(${name} ${CMAKE_SOURCE_DIR}/cmake/test_pch.cpp)
    tess_test_compile_settings(${name})
    target_link_libraries(${name} PRIVATE ${P_LINK} gtest)
    target_precompile_headers(${name} PRIVATE ${P_HEADERS})
endfunction()

# True in `out` when `target` links `wanted`, directly or through its libraries.
function(tess_links_to target wanted out)
    set(seen "")
    set(todo ${target})
    set(found FALSE)
    while(todo)
        list(POP_FRONT todo t)
        if(t IN_LIST seen OR NOT TARGET ${t})
            continue()
        endif()
        list(APPEND seen ${t})
        if(t STREQUAL wanted)
            set(found TRUE)
            break()
        endif()
        get_target_property(type ${t} TYPE)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(libs ${t} LINK_LIBRARIES)
            if(libs)
                list(APPEND todo ${libs})
            endif()
        endif()
        get_target_property(libs ${t} INTERFACE_LINK_LIBRARIES)
        if(libs)
            list(APPEND todo ${libs})
        endif()
    endwhile()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

function(tess_test_give_pch)
    get_property(tests GLOBAL PROPERTY TESS_TEST_PROGRAMS)
    if(NOT tests OR NOT TESS_TEST_PCH)
        return()
    endif()
    tess_test_pch(tess_test_pch HEADERS ${TESS_TEST_PCH_HEADERS})
    set(clx_pch FALSE)
    foreach(t IN LISTS tests)
        set(owner tess_test_pch)
        if(WIN32 AND TARGET classlib)
            tess_links_to(${t} classlib on_classlib)
            if(on_classlib)
                if(NOT clx_pch)
                    tess_test_pch(tess_test_pch_clx LINK classlib
                        HEADERS ${TESS_TEST_PCH_HEADERS} <windows.h> <commctrl.h> <clx/app.h> <clx/wnd.h>)
                    set(clx_pch TRUE)
                endif()
                set(owner tess_test_pch_clx)
            endif()
        endif()
        set_target_properties(${t} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM ${owner})
    endforeach()
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
    tess_test_compile_settings(${T_NAME})
    set_property(GLOBAL APPEND PROPERTY TESS_TEST_PROGRAMS ${T_NAME})
    if(T_NO_MAIN)
        target_link_libraries(${T_NAME} PRIVATE ${T_LINK} gtest gmock)
    else()
        target_link_libraries(${T_NAME} PRIVATE ${T_LINK} gtest gmock gtest_main)
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "GTEST_OUTPUT=xml:${TESS_PATH_PREFIX}${TESS_RESULTS_DIR}/${T_NAME}.xml"
        TIMEOUT 900)
endfunction()
