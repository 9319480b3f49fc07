# The develop engine: the engine lock and its state, opening and loading
# images, tone tables, white balance and demosaic set-up, colour sampling and
# the colour engine pool. The platform seams have a Windows and a native side.
target_sources(TessalineCore PRIVATE
    engine/develop_engine.cpp
    engine/seams/debug_settings.cpp
    engine/seams/progress_sink.cpp
    engine/seams/camera_curve.cpp
    engine/pool/color_engine_pool.cpp
    engine/image_open.cpp
    engine/tone_tables.cpp
    engine/white_balance.cpp
    engine/develop_setup.cpp
    engine/sample_color.cpp
    engine/profile_check.cpp)
if(WIN32)
    target_sources(TessalineCore PRIVATE
        engine/seams/engine_lock_win.cpp
        engine/seams/lut_resources_win.cpp
        engine/seams/progress_sink_win.cpp)
else()
    target_sources(TessalineCore PRIVATE
        engine/seams/engine_lock_posix.cpp
        engine/seams/lut_resources_posix.cpp)
endif()
target_link_libraries(TessalineCore PUBLIC Quarnite)

tess_test(NAME core_engine_tests
    SOURCES
        engine/tests/engine_state_test.cpp
        engine/tests/tone_tables_test.cpp
        engine/tests/white_balance_test.cpp
        engine/tests/develop_setup_test.cpp
        engine/tests/color_engine_pool_test.cpp
        engine/tests/image_open_test.cpp
        engine/tests/sample_color_test.cpp
        engine/tests/profile_check_test.cpp
        ../../QRV/tests/icc_builder.cpp
    LINK TessalineCore QRVProfileWriter)

# The stored tone tables live in the program's resources: a Windows program
# that uses the engine links them itself.
if(WIN32 AND TARGET core_engine_tests)
    enable_language(RC)
    target_sources(core_engine_tests PRIVATE engine/tables/lut_tables.rc)
endif()
