# The display chain's build and rebuild, the colour engines excluded.
tess_bench(NAME core_display_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_display_bench.cpp ${CMAKE_SOURCE_DIR}/QRV/tests/icc_builder.cpp
    LINK TessalineCore QRVProfileWriter)
