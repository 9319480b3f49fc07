# The crop and size heuristic's setters and the settings container's write and read.
tess_bench(NAME core_procset_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_procset_bench.cpp LINK TessalineCore)
