# The image document and the program's document manager on the class library.
# Windows-only.
if(WIN32)
    add_library(TessalineDocument STATIC
        ${CMAKE_CURRENT_LIST_DIR}/image_doc_host.cpp
        ${CMAKE_CURRENT_LIST_DIR}/image_doc.cpp
        ${CMAKE_CURRENT_LIST_DIR}/doc_manager_new.cpp)
    target_link_libraries(TessalineDocument PUBLIC TessalineDocView TessalineCore classlib)

    # classlib, which defines the GUI test helper, is configured after this
    # folder: register the test once the whole tree has been read.
    function(core_document_gui_tests)
        set(dir ${CMAKE_SOURCE_DIR}/app/core/document)
        clx_gui_test(NAME core_document_win_tests SOURCES
            ${dir}/tests/image_doc_test.cpp
            ${CMAKE_SOURCE_DIR}/QRV/tests/icc_builder.cpp)
        if(TARGET core_document_win_tests)
            target_link_libraries(core_document_win_tests PRIVATE TessalineDocument QRVProfileWriter)
        endif()
    endfunction()
    if(TESS_TESTS)
        cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL core_document_gui_tests)
    endif()
endif()
