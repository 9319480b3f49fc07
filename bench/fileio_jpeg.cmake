# Quarnite3's JPEG decoder and encoder beside libjpeg-turbo's djpeg and cjpeg (test-only peers), as whole commands.
tess_bench(NAME fileio_jpeg_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/fileio_jpeg_bench.cpp LINK Quarnite_objs Vorlat)
add_dependencies(fileio_jpeg_bench bench_commands)
