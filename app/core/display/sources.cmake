# The display chain of an image view: its thirteen filters, how adjustments
# reach them, and what the view hears from the chain's end.
target_sources(TessalineCore PRIVATE
    display/display_chain.cpp)

tess_test(NAME core_display_tests
    SOURCES
        display/tests/display_chain_test.cpp
        ../../QRV/tests/icc_builder.cpp
    LINK TessalineCore QRVProfileWriter)
