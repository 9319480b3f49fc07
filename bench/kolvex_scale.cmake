# Kolvex scale filter beside vips, as whole commands.
tess_bench(NAME kolvex_scale_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kolvex_scale_bench.cpp LINK Kolvex_objs Quarnite_objs Vorlat QRV)
add_dependencies(kolvex_scale_bench bench_commands)
