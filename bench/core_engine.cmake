# The develop engine: the colour engine pool on a hit, the input tables of the
# colour filter, and colour sampling on cached tiles.
tess_bench(NAME core_engine_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_engine_bench.cpp LINK TessalineCore)
