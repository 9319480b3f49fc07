# A libFuzzer target of the camera layer over the simulated module, run
# briefly as a test in the native tree. It needs clang's libFuzzer, so the
# camera's sources, the simulated module's and the few areas of the core they
# stand on are compiled once more by clang with the sanitizers. The curve
# writer, which needs the develop engine's tone tables, stays out.
function(camera_fuzz_target)
    if(NOT TESS_TESTS OR TESS_BENCH OR WIN32)
        return()
    endif()
    find_program(TESS_CLANGXX clang++)
    if(NOT TESS_CLANGXX)
        return()
    endif()
    set(flags -std=c++20 -O1 -g -Wall -Wextra -fno-sanitize-recover=undefined -I${CMAKE_SOURCE_DIR})
    set(objdir ${CMAKE_BINARY_DIR}/fuzz-objs/app_camera)
    file(MAKE_DIRECTORY ${objdir})

    set(sources)
    foreach(target TessalineCamera TessalineCameraTree KavoSimCore)
        get_target_property(target_sources ${target} SOURCES)
        get_target_property(target_dir ${target} SOURCE_DIR)
        foreach(source IN LISTS target_sources)
            if(NOT IS_ABSOLUTE ${source})
                set(source ${target_dir}/${source})
            endif()
            if(NOT source MATCHES "curve_write\\.cpp$")
                list(APPEND sources ${source})
            endif()
        endforeach()
    endforeach()
    get_target_property(core_sources TessalineCore SOURCES)
    get_target_property(core_dir TessalineCore SOURCE_DIR)
    foreach(source IN LISTS core_sources)
        if(NOT IS_ABSOLUTE ${source})
            set(source ${core_dir}/${source})
        endif()
        file(RELATIVE_PATH area ${core_dir} ${source})
        if(area MATCHES "^(text|settings|curves|geometry)/.*\\.cpp$" OR area STREQUAL "engine/seams/camera_curve.cpp")
            list(APPEND sources ${source})
        endif()
    endforeach()

    set(objects)
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${source})
        string(REPLACE "/" "_" name ${name})
        set(object ${objdir}/${name}.o)
        add_custom_command(OUTPUT ${object}
            COMMAND ${CMAKE_CXX_COMPILER_LAUNCHER} ${TESS_CLANGXX} ${flags}
                -fsanitize=fuzzer-no-link,address,undefined
                -MD -MF ${object}.d -c ${source} -o ${object}
            DEPENDS ${source}
            DEPFILE ${object}.d
            COMMENT "Compiling ${name} for the camera fuzz target")
        list(APPEND objects ${object})
    endforeach()

    set(driver ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/camera_fuzz.cpp)
    set(program ${CMAKE_BINARY_DIR}/bin/camera_fuzz)
    add_custom_command(OUTPUT ${program}
        COMMAND ${TESS_CLANGXX} ${flags} -fsanitize=fuzzer,address,undefined -MD -MF ${program}.d
            ${driver} ${objects} -ldl -o ${program}
        DEPENDS ${driver} ${objects}
        DEPFILE ${program}.d
        COMMENT "Linking the fuzz target camera_fuzz")
    add_custom_target(camera_fuzz_target ALL DEPENDS ${program})
    set(corpus ${TESS_SCRATCH_DIR}/camera_fuzz)
    file(MAKE_DIRECTORY ${corpus})
    add_test(NAME camera_fuzz
        COMMAND ${program} -max_total_time=15 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
            -artifact_prefix=${corpus}/ ${corpus}
        WORKING_DIRECTORY ${corpus})
    set_tests_properties(camera_fuzz PROPERTIES TIMEOUT 180)
endfunction()
