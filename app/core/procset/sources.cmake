# The image-processing settings container and the record settings it is filled from.
target_sources(TessalineCore PRIVATE
    procset/image_proc_set.cpp
    procset/record_settings.cpp
    procset/settings_file.cpp)

tess_test(NAME core_procset_tests
    SOURCES
        procset/tests/image_proc_set_test.cpp
        procset/tests/settings_file_test.cpp
    LINK TessalineCore)
