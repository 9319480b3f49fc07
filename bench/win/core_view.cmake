# The image view drawing a camera raw file in a 1280 x 800 client under Wine.
# CTest runs it through the tree's Wine (scripts/bench --wine runs the tree
# through scripts/wine-ctest, which makes and services the prefix).
enable_language(RC)
tess_bench(NAME core_view_wine_bench
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/core_view_wine_bench.cpp
        ${CMAKE_SOURCE_DIR}/QRV/tests/icc_builder.cpp
        ${CMAKE_SOURCE_DIR}/app/core/docview/docview.rc
    LINK TessalineDocView TessalineProgramCore QRVProfileWriter)
add_test(NAME core_view_wine_bench COMMAND core_view_wine_bench WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
# Labelled so that scripts/bench runs the benchmarks alone (the 32-bit tree
# has its deliverables check too); under qemu it takes longer than a test may.
set_tests_properties(core_view_wine_bench PROPERTIES LABELS bench TIMEOUT 5400)
