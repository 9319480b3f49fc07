# libFuzzer targets of the settings blob readers, run briefly as tests in the
# native tree. They need clang's libFuzzer, so the core's sources are compiled
# once more by clang with the sanitizers, and each target links them with its
# driver. Their seeds are the default blobs of each class, written before the
# run by a small program of this tree; new inputs go to a scratch folder.
function(core_fuzz_targets)
    if(NOT TESS_TESTS OR TESS_BENCH OR WIN32)
        return()
    endif()
    find_program(TESS_CLANGXX clang++)
    if(NOT TESS_CLANGXX)
        return()
    endif()
    set(flags -std=c++20 -O1 -g1 -Wall -Wextra -fno-sanitize-recover=undefined -I${CMAKE_SOURCE_DIR})
    set(objdir ${CMAKE_BINARY_DIR}/fuzz-objs/app_core)
    file(MAKE_DIRECTORY ${objdir})
    set(objects)
    # Only the areas that the blob readers are made of: the other areas of the
    # core (the demosaic filters with their pipeline headers) are not this
    # build's business and need libraries the fuzz targets do not link.
    get_target_property(sources TessalineCore SOURCES)
    foreach(source IN LISTS sources)
        if(NOT IS_ABSOLUTE ${source})
            set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
        endif()
        file(RELATIVE_PATH area ${CMAKE_CURRENT_SOURCE_DIR} ${source})
        if(NOT area MATCHES "^(text|settings|curves|geometry|heuristics|procset|clipboard|camera_images)/.*\\.cpp$")
            continue()
        endif()
        file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${source})
        string(REPLACE "/" "_" name ${name})
        set(object ${objdir}/${name}.o)
        add_custom_command(OUTPUT ${object}
            COMMAND ${CMAKE_CXX_COMPILER_LAUNCHER} ${TESS_CLANGXX} ${flags}
                -fsanitize=fuzzer-no-link,address,undefined
                -MD -MF ${object}.d -c ${source} -o ${object}
            DEPENDS ${source}
            DEPFILE ${object}.d
            COMMENT "Compiling ${name} for the fuzz targets")
        list(APPEND objects ${object})
    endforeach()

    add_executable(core_fuzz_seeds fuzz/fuzz_seeds.cpp)
    target_link_libraries(core_fuzz_seeds PRIVATE TessalineCore)
    set(corpus ${TESS_SCRATCH_DIR}/core_fuzz)
    add_test(NAME core_fuzz_seeds COMMAND core_fuzz_seeds ${corpus}/seeds)
    set_tests_properties(core_fuzz_seeds PROPERTIES FIXTURES_SETUP core_fuzz_seeds)

    set(programs)
    foreach(target settings lut_channel lut_group procset clipboard palette_file image_list sidecar)
        set(driver ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${target}_fuzz.cpp)
        set(program ${CMAKE_BINARY_DIR}/bin/core_${target}_fuzz)
        add_custom_command(OUTPUT ${program}
            COMMAND ${TESS_CLANGXX} ${flags} -fsanitize=fuzzer,address,undefined -MD -MF ${program}.d
                ${driver} ${objects} -o ${program}
            DEPENDS ${driver} ${objects}
            DEPFILE ${program}.d
            COMMENT "Linking the fuzz target core_${target}_fuzz")
        list(APPEND programs ${program})
        file(MAKE_DIRECTORY ${corpus}/${target})
        add_test(NAME core_fuzz_${target}
            COMMAND ${program} -max_total_time=5 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                -artifact_prefix=${corpus}/ ${corpus}/${target} ${corpus}/seeds/${target}
            WORKING_DIRECTORY ${corpus})
        set_tests_properties(core_fuzz_${target} PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED core_fuzz_seeds)
    endforeach()
    add_custom_target(core_fuzz_targets ALL DEPENDS ${programs} core_fuzz_seeds)
endfunction()
