# The program's point and rectangle classes.
target_sources(TessalineCore PRIVATE
    geometry/qz_rect.cpp)

tess_test(NAME core_geometry_tests
    SOURCES geometry/tests/qz_rect_test.cpp
    LINK TessalineCore)
