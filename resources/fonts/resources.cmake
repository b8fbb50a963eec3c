# Embeds the font files scripts/fetch-fonts placed in resources/fonts/fetched/ (git-ignored).
# Without them nothing is embedded and the app uses packaged stand-ins.
file(GLOB QUILLORA_FETCHED_FONTS CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_LIST_DIR}/fetched/*.ttf
    ${CMAKE_CURRENT_LIST_DIR}/fetched/*.otf
    ${CMAKE_CURRENT_LIST_DIR}/fetched/*-OFL.txt)
if(QUILLORA_FETCHED_FONTS)
    list(SORT QUILLORA_FETCHED_FONTS)
    list(LENGTH QUILLORA_FETCHED_FONTS quillora_fetched_font_count)
    message(STATUS "Embedding ${quillora_fetched_font_count} fetched font files")
    qt_add_resources(quillora_core "fonts"
        PREFIX "/fonts"
        BASE ${CMAKE_CURRENT_LIST_DIR}
        FILES ${QUILLORA_FETCHED_FONTS})
else()
    message(STATUS "No fetched fonts to embed; packaged stand-ins will be used")
endif()
