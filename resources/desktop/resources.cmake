# What `cmake --install` puts in place besides the program: a desktop entry named after the
# application's desktop file name ("quillora") and its icon, in the usual XDG folders.
include(GNUInstallDirs)
install(TARGETS quillora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quillora.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/app/logo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME quillora.svg)
