# Kolvex scale filter beside its peers (vips, ImageMagick) run as programs.
tess_bench(NAME kolvex_scale_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kolvex_scale_bench.cpp LINK Kolvex_objs Vorlat QRV)
