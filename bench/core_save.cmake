# Develop and save as whole commands beside a vips pipeline.
add_executable(core_save_bench ${CMAKE_CURRENT_LIST_DIR}/core_save_bench.cpp
    ${CMAKE_SOURCE_DIR}/QRV/tests/icc_builder.cpp)
target_link_libraries(core_save_bench PRIVATE Quarnite_objs Vorlat QRVProfileWriter)
add_dependencies(core_save_bench bench_commands)
