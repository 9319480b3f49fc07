# The image document's windows on the class library: the view that draws the
# display chain tile by tile, and the frames with their section bar and
# shooting-data pane. Windows-only.
if(WIN32)
    add_library(TessalineDocView STATIC
        ${CMAKE_CURRENT_LIST_DIR}/image_display_view.cpp
        ${CMAKE_CURRENT_LIST_DIR}/image_display_view_mouse.cpp
        ${CMAKE_CURRENT_LIST_DIR}/image_display_view_handoff.cpp
        ${CMAKE_CURRENT_LIST_DIR}/image_display_view_clipboard.cpp
        ${CMAKE_CURRENT_LIST_DIR}/view_section.cpp
        ${CMAKE_CURRENT_LIST_DIR}/common_image_frame.cpp
        ${CMAKE_CURRENT_LIST_DIR}/image_frame.cpp
        ${CMAKE_CURRENT_LIST_DIR}/image_view.cpp)
    target_link_libraries(TessalineDocView PUBLIC TessalineCore TessalineExternalEditor classlib)

    # The GUI test helper is defined by classlib, which is configured after
    # this folder: register the test once the whole tree has been read.
    function(core_docview_gui_tests)
        set(dir ${CMAKE_SOURCE_DIR}/app/core/docview)
        clx_gui_test(NAME core_docview_win_tests SOURCES
            ${dir}/tests/image_view_fixture.cpp
            ${dir}/tests/image_display_view_test.cpp
            ${dir}/tests/image_display_view_mouse_test.cpp
            ${dir}/tests/image_display_view_handoff_test.cpp
            ${dir}/tests/image_display_view_clipboard_test.cpp
            ${dir}/tests/image_frame_test.cpp
            ${CMAKE_SOURCE_DIR}/QRV/tests/icc_builder.cpp
            ${dir}/docview.rc)
        if(TARGET core_docview_win_tests)
            # The frames' help ids are checked against the shell's topic map.
            target_link_libraries(core_docview_win_tests PRIVATE TessalineDocView TessalineShellCore QRVProfileWriter)
            # Its hand-off tests register the outside editor's fake, as the
            # editor's own tests do.
            set_tests_properties(core_docview_win_tests PROPERTIES RESOURCE_LOCK fake_outside_editor)
        endif()
    endfunction()
    if(TESS_TESTS)
        cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL core_docview_gui_tests)
    endif()
endif()
