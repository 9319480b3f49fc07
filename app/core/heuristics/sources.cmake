# The crop, size and resolution heuristics and the size and resolution settings.
target_sources(TessalineCore PRIVATE
    heuristics/heuristic.cpp
    heuristics/locked_heuristics.cpp
    heuristics/size_res.cpp)

tess_test(NAME core_heuristics_tests
    SOURCES
        heuristics/tests/heuristic_test.cpp
        heuristics/tests/heuristic_property_test.cpp
        heuristics/tests/lock_size_range_test.cpp
        heuristics/tests/size_res_test.cpp
    LINK TessalineCore)
