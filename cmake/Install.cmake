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
install(DIRECTORY ${VARNEL_PROGRAM_DIR}/translations DESTINATION ${VARNEL_INSTALL_DIR})
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

# The manual pages and the package's changelog, gzipped as Debian wants
# them: at the highest level and without a time stamp, so that two builds
# give the same bytes.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(VARNEL_PACKAGE_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(VARNEL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/varnel-video-converter)
set(package_dir ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_SOURCE_DIR}/data/package/changelog.in ${package_dir}/changelog.Debian @ONLY)
set(compressed)
foreach(source ${CMAKE_SOURCE_DIR}/data/man/varnel-video-converter.1 ${CMAKE_SOURCE_DIR}/data/man/varnel-convert.1
               ${package_dir}/changelog.Debian)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${package_dir}/${name}.gz
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip ${source} ${package_dir}/${name}.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${package_dir}/${name}.gz)
endforeach()
add_custom_target(package_files ALL DEPENDS ${compressed})
install(FILES ${package_dir}/varnel-video-converter.1.gz ${package_dir}/varnel-convert.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_dir}/changelog.Debian.gz ${CMAKE_SOURCE_DIR}/data/package/copyright
        DESTINATION ${VARNEL_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/package/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varnel-video-converter)

# make package: a Debian package that installs the same under /usr.
set(CPACK_PACKAGE_NAME varnel-video-converter)
set(CPACK_PACKAGE_VENDOR "Varnel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video converter with device profiles, trimming, preview and capture")
set(CPACK_PACKAGE_DESCRIPTION "\
Varnel Video Converter converts a whole list of video and audio files in one
go, with progress for each file and for the list. A catalogue of device
families and their profiles, and today's formats (MP4 H.264 and H.265, WebM
AV1 and VP9, MKV, Opus and FLAC), choose how each file is encoded; the video
and audio options of a profile can be tuned and kept as presets.

The window previews files, trims them to a clip, records from a camera and
downloads videos from web pages. The varnel-convert command drives the same
converter from scripts, and splits batches over many machines with GNU
Parallel.

Every file FFmpeg reads is accepted; encoding is done by the installed
ffmpeg, previews by mplayer.")
set(CPACK_PACKAGE_CONTACT "Varnel Video Converter developers <dev@varnel-video.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian's binaries carry no symbols; a debugger wants a build tree anyway.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, mplayer")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
