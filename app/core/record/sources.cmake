# The image record: one image's settings, display state, images and tags, and
# the develop-parameter block built from it.
target_sources(TessalineCore PRIVATE
    record/image_record.cpp
    record/develop_params.cpp)

tess_test(NAME core_record_tests
    SOURCES record/tests/image_record_test.cpp
    LINK TessalineCore)
