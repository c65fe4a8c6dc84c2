# Installing: a self-contained program folder under lib/, commands in bin/
# that lead into it, and the desktop's entry and icon.
include(GNUInstallDirs)
set(VARNEL_INSTALL_DIR lib/varnel-video-converter)
install(TARGETS varnel-video-converter varnel-convert fp_adapter mp_adapter RUNTIME DESTINATION ${VARNEL_INSTALL_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/skins/frmmain.skn DESTINATION ${VARNEL_INSTALL_DIR}/skins)
install(FILES ${CMAKE_SOURCE_DIR}/data/help/index.html DESTINATION ${VARNEL_INSTALL_DIR}/help)
install(FILES ${CMAKE_SOURCE_DIR}/data/loading.jpg DESTINATION ${VARNEL_INSTALL_DIR})
# Says "never write here" to the program (Settings.cpp, kInstalledMarker):
# root may write into the folder, yet it belongs to the system. Hence no
# Cache/ either: an installed copy keeps its cache in the user's data folder.
install(FILES ${CMAKE_SOURCE_DIR}/data/package/installed DESTINATION ${VARNEL_INSTALL_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/varnel-video-converter.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/varnel-video-converter.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/io.github.varnel.VideoConverter.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(command varnel-video-converter varnel-convert)
  install(CODE "
    file(CREATE_LINK ../${VARNEL_INSTALL_DIR}/${command}
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${command}\" SYMBOLIC)
    message(STATUS \"Linking: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${command}\")")
endforeach()

# make package: a Debian package that installs the same under /usr.
set(CPACK_PACKAGE_NAME varnel-video-converter)
set(CPACK_PACKAGE_VENDOR "Varnel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop video converter with device profiles, trimming, preview and capture")
set(CPACK_PACKAGE_CONTACT "Varnel Video Converter developers <dev@varnel-video.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, mplayer")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
