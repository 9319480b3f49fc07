# The camera curve sample command: portable, the engine and the messages behind its host.
target_sources(TessalineCore PRIVATE
    camera_sample/camera_curve_sample.cpp)

tess_test(NAME core_camera_sample_tests
    SOURCES
        camera_sample/tests/camera_curve_sample_test.cpp
        camera_sample/tests/camera_curve_sample_file_test.cpp
        ../../QRV/tests/icc_builder.cpp
    LINK TessalineCore QRVProfileWriter)
