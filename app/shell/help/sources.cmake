# The help topic map. The map is portable; the main frame's help entry joins
# the Win32 shell library, which this folder's parent defines after
# including this file.
target_sources(TessalineShellCore PRIVATE help/help_topics.cpp)
tess_test(NAME shell_help_tests
    SOURCES help/tests/help_topics_test.cpp
    LINK TessalineShellCore)

if(WIN32)
    cmake_language(DEFER CALL target_sources TessalineShell PRIVATE help/help_entry.cpp)
endif()

# The entry under Wine, with HTML Help and WinHelp replaced by recorders.
if(WIN32 AND TESS_TESTS)
    enable_language(RC)
    tess_test(NAME shell_help_gui_tests
        SOURCES help/tests/help_entry_test.cpp help/tests/help_tests.rc
        LINK TessalineShell clx_testing WIN_ONLY NO_MAIN)
    set_property(TEST shell_help_gui_tests APPEND PROPERTY ENVIRONMENT LANG=C.UTF-8)
    set_tests_properties(shell_help_gui_tests PROPERTIES LABELS gui FIXTURES_REQUIRED clx_wine_gui)
    # The class library keeps the list of GUI programs, one desktop each, and
    # starts it after this folder: joined once the whole tree is read.
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL
        set_property GLOBAL APPEND PROPERTY CLX_GUI_TESTS shell_help_gui_tests)
endif()
