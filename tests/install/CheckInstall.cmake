# Installs the build into a fresh prefix and checks that the desktop finds
# the program: its entry starts the installed executable with the file, the
# project file type and the icon are in place, and the program's folders
# stand beside it.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE _rc OUTPUT_QUIET)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${_rc}")
endif()

file(GLOB_RECURSE _programs ${PREFIX}/*/vorkalo/vorkalo)
list(LENGTH _programs _count)
if(NOT _count EQUAL 1)
  message(FATAL_ERROR "expected one installed program, found: ${_programs}")
endif()
get_filename_component(_folder ${_programs} DIRECTORY)
foreach(_beside help/index.html DB/tiles.cds)
  if(NOT EXISTS ${_folder}/${_beside})
    message(FATAL_ERROR "${_beside} is not beside the installed program")
  endif()
endforeach()

set(_desktop ${PREFIX}/share/applications/vorkalo.desktop)
file(READ ${_desktop} _entry)
if(NOT _entry MATCHES "\nExec=${_programs} %f\n")
  message(FATAL_ERROR "the desktop entry does not start ${_programs}:\n${_entry}")
endif()
if(NOT _entry MATCHES "\nMimeType=application/x-vorkalo-project;\n")
  message(FATAL_ERROR "the desktop entry does not open project files:\n${_entry}")
endif()

file(READ ${PREFIX}/share/mime/packages/vorkalo.xml _mime)
if(NOT _mime MATCHES "type=\"application/x-vorkalo-project\"" OR NOT _mime MATCHES "pattern=\"\\*\\.mpp\"")
  message(FATAL_ERROR "the project file type does not name *.mpp:\n${_mime}")
endif()
if(NOT EXISTS ${PREFIX}/share/icons/hicolor/scalable/apps/vorkalo.svg)
  message(FATAL_ERROR "no icon")
endif()
file(REMOVE_RECURSE ${PREFIX})
