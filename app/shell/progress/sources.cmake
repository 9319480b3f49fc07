# The progress window. Its protocol and model are portable; the window and
# its thread join the Win32 shell library, which this folder's parent
# defines after including this file.
target_sources(TessalineShellCore PRIVATE
    progress/progress_protocol.cpp
    progress/progress_model.cpp)
tess_test(NAME shell_progress_tests
    SOURCES progress/tests/progress_model_test.cpp
    LINK TessalineShellCore)

if(WIN32)
    cmake_language(DEFER CALL target_sources TessalineShell PRIVATE
        progress/progress_window.cpp
        progress/progress_thread.cpp)
endif()

# The window on its thread under Wine, with the captions of the string table.
if(WIN32 AND TESS_TESTS)
    enable_language(RC)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/shell_progress_gui_tests.rc)
    file(WRITE ${rc} "STRINGTABLE\nBEGIN\n  10016 \"Loading image\"\n  10090 \"ab\"\nEND\n")
    tess_test(NAME shell_progress_gui_tests
        SOURCES progress/tests/progress_window_test.cpp ${rc}
        LINK TessalineShell clx_testing WIN_ONLY NO_MAIN)
    set_property(TEST shell_progress_gui_tests APPEND PROPERTY ENVIRONMENT LANG=C.UTF-8)
    set_tests_properties(shell_progress_gui_tests PROPERTIES LABELS gui FIXTURES_REQUIRED clx_wine_gui)
    # The class library keeps the list of GUI programs, one desktop each, and
    # starts it after this folder: joined once the whole tree is read.
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL
        set_property GLOBAL APPEND PROPERTY CLX_GUI_TESTS shell_progress_gui_tests)
endif()
