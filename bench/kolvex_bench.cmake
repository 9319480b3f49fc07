# Kolvex: a warm tile lock through a filter, and a 24-Mpixel run through LUT,
# colour management and histogram inside the process.
add_executable(kolvex_bench ${CMAKE_CURRENT_LIST_DIR}/kolvex_bench.cpp)
target_link_libraries(kolvex_bench PRIVATE Kolvex Vorlat QRV)
