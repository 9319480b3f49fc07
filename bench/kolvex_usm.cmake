# Kolvex unsharp mask beside ImageMagick, as whole commands.
tess_bench(NAME kolvex_usm_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/kolvex_usm_bench.cpp LINK Kolvex_objs Quarnite_objs Vorlat QRV)
add_dependencies(kolvex_usm_bench bench_commands)
