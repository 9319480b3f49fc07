# Quarnite3's TIFF writer and reader beside libtiff's tiffcp, and the compressed raw decoder.
tess_bench(NAME fileio_tiff_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/fileio_tiff_bench.cpp LINK Quarnite_objs Vorlat)
