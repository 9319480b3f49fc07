# The image view's, frames' and document's rules that need no window: zoom
# and scrolling, the mouse tools and crop frame, titles and save choices, the
# information pane and section bar measures, and the File Open answer.
target_sources(TessalineCore PRIVATE
    view_model/zoom.cpp
    view_model/mouse_tools.cpp
    view_model/document_titles.cpp
    view_model/frame_layout.cpp
    view_model/open_dialog.cpp)

tess_test(NAME core_view_model_tests
    SOURCES
        view_model/tests/zoom_test.cpp
        view_model/tests/mouse_tools_test.cpp
        view_model/tests/document_titles_test.cpp
        view_model/tests/frame_layout_test.cpp
    LINK TessalineCore)
