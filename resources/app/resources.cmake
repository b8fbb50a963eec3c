qt_add_resources(quillora_ui "app"
    PREFIX "/app"
    BASE ${CMAKE_CURRENT_LIST_DIR}
    FILES
        ${CMAKE_CURRENT_LIST_DIR}/logo.svg
        ${CMAKE_CURRENT_LIST_DIR}/hand_mark.svg
        ${CMAKE_CURRENT_LIST_DIR}/word_mark.svg)
