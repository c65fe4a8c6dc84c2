# Fails when a file under ROOT includes a header of a higher layer (gui,
# platform, cli, adapters) or anything of Qt Gui or Qt Widgets.
file(GLOB_RECURSE files ${ROOT}/*.h ${ROOT}/*.cpp)
set(bad "")
foreach(f ${files})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(l ${lines})
    if(l MATCHES "[\"<](gui|platform|cli|adapters)/" OR l MATCHES "Qt(Gui|Widgets|OpenGL)"
       OR l MATCHES "<Q(Widget|Application|GuiApplication|Window|Image|Pixmap|Icon|Painter|Dialog)[ >]")
      file(RELATIVE_PATH rel ${ROOT} ${f})
      list(APPEND bad "src/core/${rel}: ${l}")
    endif()
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "The core may include only core headers, Qt Core and Qt Network:\n  ${text}")
endif()
file(TOUCH ${STAMP})
