# The curve editor control: its layout is portable; the window is Windows-only.
target_sources(TessalineCore PRIVATE
    curve_edit/lut_edit_layout.cpp)

tess_test(NAME core_curve_edit_tests
    SOURCES curve_edit/tests/lut_edit_layout_test.cpp
    LINK TessalineCore)
