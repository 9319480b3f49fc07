# The image loaders: a file or a memory block into an image record, with what
# they take from the program around them (drawing tile manager, cancel flag,
# progress, thumbnail rendering).
target_sources(TessalineCore PRIVATE
    load/load_context.cpp
    load/image_load.cpp)

tess_test(NAME core_load_tests
    SOURCES load/tests/image_load_test.cpp
    LINK TessalineCore)
