# Quarnite3's TIFF reader and writer beside libtiff's tiffcp as whole commands, and the compressed raw decoder.
tess_bench(NAME fileio_tiff_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/fileio_tiff_bench.cpp LINK Quarnite_objs Vorlat)
add_dependencies(fileio_tiff_bench bench_commands)
