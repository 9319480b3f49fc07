# The shooting information table of an image, with its text-measuring and
# date-formatting seams.
target_sources(TessalineCore PRIVATE
    shooting/shooting_info_table.cpp
    shooting/shooting_seams.cpp)
if(WIN32)
    target_sources(TessalineCore PRIVATE shooting/shooting_seams_win.cpp)
endif()
target_link_libraries(TessalineCore PUBLIC Quarnite Vorlat)

tess_test(NAME core_shooting_tests
    SOURCES shooting/tests/shooting_info_table_test.cpp
    LINK TessalineCore)
# The Windows test program loads the labels from its own resources.
if(WIN32 AND TARGET core_shooting_tests)
    enable_language(RC)
    target_sources(core_shooting_tests PRIVATE shooting/shooting_labels.rc)
    set_source_files_properties(shooting/shooting_labels.rc PROPERTIES
        OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/shooting/shooting_labels.inc)
endif()

tess_test(NAME core_shooting_peer_tests
    SOURCES shooting/tests/shooting_exiftool_test.cpp
    LINK TessalineCore
    NATIVE_ONLY)
