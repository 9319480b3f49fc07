# The image-processing settings container, the record settings it is filled
# from, and the palettes' settings files made of it.
target_sources(TessalineCore PRIVATE
    procset/image_proc_set.cpp
    procset/palette_settings_file.cpp
    procset/record_settings.cpp)

tess_test(NAME core_procset_tests
    SOURCES
        procset/tests/image_proc_set_test.cpp
        procset/tests/image_adjustment_file_test.cpp
        procset/tests/palette_settings_file_test.cpp
    LINK TessalineCore)
