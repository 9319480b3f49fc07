# The curve editor control: its layout and histogram bars are portable; the
# window is Windows-only.
target_sources(TessalineCore PRIVATE
    curve_edit/lut_edit_layout.cpp
    curve_edit/lut_edit_histogram.cpp)

tess_test(NAME core_curve_edit_tests
    SOURCES
        curve_edit/tests/lut_edit_layout_test.cpp
        curve_edit/tests/lut_edit_histogram_test.cpp
    LINK TessalineCore)

if(WIN32)
    add_library(TessalineCurveEdit STATIC ${CMAKE_CURRENT_LIST_DIR}/win/lut_edit.cpp)
    target_link_libraries(TessalineCurveEdit PUBLIC TessalineCore classlib)

    # The GUI test helper is defined by classlib, which is configured after
    # this folder: register the test once the whole tree has been read.
    function(core_curve_edit_gui_tests)
        set(dir ${CMAKE_SOURCE_DIR}/app/core/curve_edit)
        clx_gui_test(NAME core_curve_edit_win_tests SOURCES
            ${dir}/win/tests/lut_edit_test.cpp
            ${dir}/win/lut_edit.rc)
        if(TARGET core_curve_edit_win_tests)
            target_link_libraries(core_curve_edit_win_tests PRIVATE TessalineCurveEdit)
        endif()
    endfunction()
    if(TESS_TESTS)
        cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL core_curve_edit_gui_tests)
    endif()
endif()
