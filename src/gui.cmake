# Windows and dialogs on top of the core.
add_library(varnel_gui STATIC
  app/Artwork.cpp app/Skin.cpp app/DesktopShell.cpp app/GuiMessages.cpp app/AboutDialog.cpp
  app/ProgressPanel.cpp app/ToolbarImage.cpp app/MainWindow.cpp app/MainWindowLayout.cpp
  settings/SettingsDialog.cpp
  sources/OptionSheetView.cpp sources/SourceListView.cpp
  profiles/ProfileChooser.cpp
)
target_link_libraries(varnel_gui PUBLIC varnel_core Qt6::Widgets)

add_executable(varnel-video-converter app/gui_main.cpp)
target_link_libraries(varnel-video-converter PRIVATE varnel_gui)
add_dependencies(varnel-video-converter fp_adapter mp_adapter program_files)

# The rest of the program folder: skin, help, splash picture, cache.
set(program_files skins/frmmain.skn help/index.html loading.jpg)
set(program_outputs "")
foreach(f ${program_files})
  add_custom_command(OUTPUT ${VARNEL_PROGRAM_DIR}/${f}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/${f} ${VARNEL_PROGRAM_DIR}/${f}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/${f})
  list(APPEND program_outputs ${VARNEL_PROGRAM_DIR}/${f})
endforeach()
add_custom_target(program_files ALL
  DEPENDS ${program_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VARNEL_PROGRAM_DIR}/Cache)
