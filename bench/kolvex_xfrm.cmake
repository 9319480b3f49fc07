# Kolvex transform filter beside vips, as whole commands.
tess_bench(NAME kolvex_xfrm_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kolvex_xfrm_bench.cpp LINK Kolvex_objs Quarnite_objs Vorlat QRV)
add_dependencies(kolvex_xfrm_bench bench_commands)
