# The camera image window's files and rules: "Image.lst", the ".ipi" sidecars,
# thumbnail ids, the loaded-images history and the titles of copies.
target_sources(TessalineCore PRIVATE
    camera_images/image_list.cpp
    camera_images/sidecar_file.cpp
    camera_images/thumbnail_ids.cpp
    camera_images/loaded_history.cpp
    camera_images/copy_title.cpp)

tess_test(NAME core_camera_images_tests
    SOURCES
        camera_images/tests/image_list_test.cpp
        camera_images/tests/sidecar_file_test.cpp
        camera_images/tests/thumbnail_rules_test.cpp
    LINK TessalineCore)
