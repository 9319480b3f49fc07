# Kolvex xfrm filter beside its peers (vips, ImageMagick) run as programs.
tess_bench(NAME kolvex_xfrm_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kolvex_xfrm_bench.cpp LINK Kolvex_objs Vorlat QRV)
