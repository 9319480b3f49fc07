# The palettes' apply protocol: apply rules, the deferred apply, the target states.
target_sources(TessalineCore PRIVATE
    palette_protocol/apply_scheduler.cpp)

tess_test(NAME core_palette_protocol_tests
    SOURCES palette_protocol/tests/apply_scheduler_test.cpp
    LINK TessalineCore)
