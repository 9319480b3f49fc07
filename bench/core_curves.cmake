# Tessaline's tone table builder: the three colour tables of a curves group.
tess_bench(NAME core_curves_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_curves_bench.cpp LINK TessalineCore)
