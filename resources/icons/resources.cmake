# The symbol icons the screens ask for by name ("xmark.circle.fill", "sparkles", …), drawn in
# black with white cut-outs; theme/symbol_icon.h tints them.
file(GLOB QUILLORA_SYMBOL_ICONS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.svg)
list(SORT QUILLORA_SYMBOL_ICONS)
qt_add_resources(quillora_ui "icons"
    PREFIX "/icons"
    BASE ${CMAKE_CURRENT_LIST_DIR}
    FILES ${QUILLORA_SYMBOL_ICONS})
