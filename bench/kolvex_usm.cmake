# Kolvex usm filter beside its peers (vips, ImageMagick) run as programs.
tess_bench(NAME kolvex_usm_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kolvex_usm_bench.cpp LINK Kolvex_objs Vorlat QRV)
