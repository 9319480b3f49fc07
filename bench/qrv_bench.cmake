# QRV3 against lcms2 (test-only peer engine) on the same noise: whole commands, and the engines alone.
add_executable(qrv_bench ${CMAKE_CURRENT_LIST_DIR}/qrv_bench.cpp)
target_link_libraries(qrv_bench PRIVATE QRV lcms2 Quarnite_objs Vorlat)
add_dependencies(qrv_bench bench_commands)
