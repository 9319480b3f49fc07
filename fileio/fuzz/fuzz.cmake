# libFuzzer targets of the file library, one per reader entry point. They need
# clang's libFuzzer, so the library's sources (and the framework's) are
# compiled once by clang with the sanitizers beside the tree's own compiler,
# each target links them with its driver, and a test runs each target briefly
# over its committed seeds; new inputs go to a scratch folder, never into the
# seeds. Called at the end of fileio/CMakeLists.txt, once every source of the
# library is known.
function(quarnite_fuzz_targets)
    if(NOT TESS_TESTS OR TESS_BENCH OR WIN32)
        return()
    endif()
    find_program(TESS_CLANGXX clang++)
    if(NOT TESS_CLANGXX)
        return()
    endif()
    set(flags -std=c++20 -O1 -g1 -Wall -Wextra -fno-sanitize-recover=undefined -I${CMAKE_SOURCE_DIR})
    set(objdir ${CMAKE_BINARY_DIR}/fuzz-objs/fileio)
    file(MAKE_DIRECTORY ${objdir})
    set(objects)
    foreach(library Quarnite Vorlat)
        get_target_property(sources ${library}_objs SOURCES)
        get_target_property(dir ${library}_objs SOURCE_DIR)
        string(TOUPPER ${library} define)
        # The framework's code is judged by its own build; clang's extra
        # warnings about it are not this target's business.
        set(extra)
        if(library STREQUAL "Vorlat")
            set(extra -w)
        endif()
        foreach(source IN LISTS sources)
            if(NOT IS_ABSOLUTE ${source})
                set(source ${dir}/${source})
            endif()
            file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${source})
            string(REPLACE "/" "_" name ${name})
            set(object ${objdir}/${name}.o)
            add_custom_command(OUTPUT ${object}
                COMMAND ${CMAKE_CXX_COMPILER_LAUNCHER} ${TESS_CLANGXX} ${flags} ${extra} -D${define}_BUILD
                    -fsanitize=fuzzer-no-link,address,undefined
                    -MD -MF ${object}.d -c ${source} -o ${object}
                DEPENDS ${source}
                DEPFILE ${object}.d
                COMMENT "Compiling ${name} for the fuzz targets")
            list(APPEND objects ${object})
        endforeach()
    endforeach()

    set(corpus ${TESS_SCRATCH_DIR}/fileio_fuzz)
    set(programs)
    foreach(target ifd iptc maker_note load jpeg_decoder jpeg_segments bmp wav quicktime tiff raw_decoder)
        set(driver ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${target}_fuzz.cpp)
        set(program ${CMAKE_BINARY_DIR}/bin/fileio_${target}_fuzz)
        add_custom_command(OUTPUT ${program}
            COMMAND ${TESS_CLANGXX} ${flags} -fsanitize=fuzzer,address,undefined -MD -MF ${program}.d
                ${driver} ${objects} -o ${program}
            DEPENDS ${driver} ${objects}
            DEPFILE ${program}.d
            COMMENT "Linking the fuzz target fileio_${target}_fuzz")
        list(APPEND programs ${program})
        file(MAKE_DIRECTORY ${corpus}/${target})
        add_test(NAME fileio_fuzz_${target}
            COMMAND ${program} -max_total_time=5 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                -artifact_prefix=${corpus}/ ${corpus}/${target} ${CMAKE_SOURCE_DIR}/testdata/fileio/corpus/${target}
            WORKING_DIRECTORY ${corpus})
        set_tests_properties(fileio_fuzz_${target} PROPERTIES TIMEOUT 120)
    endforeach()
    add_custom_target(fileio_fuzz_targets ALL DEPENDS ${programs})
endfunction()
