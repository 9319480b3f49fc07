target_sources(TessalineCore PRIVATE
    curves/lut_channel_base.cpp
    curves/lut_channel.cpp
    curves/lut_channel_edit.cpp
    curves/lut_channel_tables.cpp
    curves/hue_channel.cpp
    curves/lut_group.cpp
    curves/tone_table.cpp)

tess_test(NAME core_curves_tests
    SOURCES
        curves/tests/lut_channel_blob_test.cpp
        curves/tests/lut_channel_edit_test.cpp
        curves/tests/hue_channel_test.cpp
        curves/tests/lut_group_test.cpp
        curves/tests/tone_table_test.cpp
    LINK TessalineCore)
