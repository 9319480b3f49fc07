# Tessaline's demosaic filters beside ffmpeg's bayer conversion of the same mosaic.
add_executable(core_demosaic_bench ${CMAKE_CURRENT_LIST_DIR}/core_demosaic_bench.cpp)
target_link_libraries(core_demosaic_bench PRIVATE TessalineCore)
