# The hand-off to the outside image editor: its rules and its develop step are
# portable; the automation sequence is Windows-only.
target_sources(TessalineCore PRIVATE
    external_editor/handoff_rules.cpp
    external_editor/editor_transfer_develop.cpp)

tess_test(NAME core_external_editor_tests
    SOURCES
        external_editor/tests/handoff_rules_test.cpp
        external_editor/tests/editor_transfer_develop_test.cpp
        ../../QRV/tests/icc_builder.cpp
    LINK TessalineCore QRVProfileWriter)

if(WIN32)
    add_library(TessalineExternalEditor STATIC
        ${CMAKE_CURRENT_LIST_DIR}/win/photoshop_automation.cpp
        ${CMAKE_CURRENT_LIST_DIR}/win/photoshop_handoff.cpp)
    target_link_libraries(TessalineExternalEditor PUBLIC TessalineCore classlib)

    # The GUI test helper is defined by classlib, which is configured after
    # this folder: register the test once the whole tree has been read. Its
    # fake editor is registered under HKEY_CLASSES_ROOT while a test runs.
    function(core_external_editor_gui_tests)
        clx_gui_test(NAME core_external_editor_win_tests SOURCES
            ${CMAKE_SOURCE_DIR}/app/core/external_editor/win/tests/photoshop_handoff_test.cpp)
        if(TARGET core_external_editor_win_tests)
            target_link_libraries(core_external_editor_win_tests PRIVATE TessalineExternalEditor)
            # The view's tests register the same fake editor: two programs
            # registering one class at once would answer each other's calls.
            set_tests_properties(core_external_editor_win_tests PROPERTIES RESOURCE_LOCK fake_outside_editor)
        endif()
    endfunction()
    if(TESS_TESTS)
        cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL core_external_editor_gui_tests)
    endif()
endif()
