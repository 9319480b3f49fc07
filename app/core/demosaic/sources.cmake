# Demosaic filters (raw mosaic in, 48-bit RGB out) and mapping a point back
# through a filter chain.
target_sources(TessalineCore PRIVATE
    demosaic/tone_tables.cpp
    demosaic/mosaic_rows.cpp
    demosaic/debayer_base.cpp
    demosaic/debayer_tiles.cpp
    demosaic/debayer_single.cpp
    demosaic/debayer_hq.cpp
    demosaic/map_point.cpp)
target_link_libraries(TessalineCore PUBLIC Kolvex Vorlat)

tess_test(NAME core_demosaic_tests
    SOURCES
        demosaic/tests/debayer_base_test.cpp
        demosaic/tests/debayer_kernels_test.cpp
        demosaic/tests/tile_invariance_test.cpp
        demosaic/tests/map_point_test.cpp
        demosaic/tests/plain_demosaic_test.cpp
    LINK TessalineCore)

tess_test(NAME core_demosaic_peer_tests
    SOURCES demosaic/tests/quality_peer_test.cpp
    LINK TessalineCore
    NATIVE_ONLY)
