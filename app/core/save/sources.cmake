# The save road: develop-and-save, the settings-only raw save, the reduced raw
# copy and the preview develop.
target_sources(TessalineCore PRIVATE
    save/save_run.cpp
    save/export_engines.cpp
    save/develop_chain.cpp
    save/develop_save.cpp
    save/save_with_settings.cpp
    save/develop_preview.cpp
    save/reduced_raw_copy.cpp)

tess_test(NAME core_save_tests
    SOURCES
        save/tests/develop_save_test.cpp
        save/tests/save_errors_test.cpp
        ../../QRV/tests/icc_builder.cpp
    LINK TessalineCore QRVProfileWriter)
