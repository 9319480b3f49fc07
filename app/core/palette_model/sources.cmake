# What the Curves, Color Balance and Image Adjustments palettes compute:
# their fields and conversions, droppers, layout and the panel's rules.
target_sources(TessalineCore PRIVATE
    palette_model/curves_values.cpp
    palette_model/curves_layout.cpp
    palette_model/colour_balance_values.cpp
    palette_model/adjustments_panel.cpp)

tess_test(NAME core_palette_model_tests
    SOURCES
        palette_model/tests/curves_values_test.cpp
        palette_model/tests/curves_layout_test.cpp
        palette_model/tests/colour_balance_values_test.cpp
        palette_model/tests/adjustments_panel_test.cpp
    LINK TessalineCore)
