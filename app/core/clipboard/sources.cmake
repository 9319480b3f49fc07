# The adjustments block that copy and paste put on the clipboard.
target_sources(TessalineCore PRIVATE
    clipboard/adjustment_block.cpp)

tess_test(NAME core_clipboard_tests
    SOURCES clipboard/tests/adjustment_block_test.cpp
    LINK TessalineCore)
