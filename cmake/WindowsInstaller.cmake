# The Windows setup program, zentory-setup-VERSION-x64.exe in the build
# folder, made by makensis (Debian's nsis) from res/windows/zentory.nsi as
# part of the default build (target zentory-setup). It installs what the
# portable zip holds (WindowsPackage.cmake): the programs, stripped, and the
# same lists of shipped files, so the two cannot drift.
#
# The setup's icon is the window's: the window's build leaves it at
# ZENTORY_WINDOWS_ICON, and the setup takes it when it is there by then.
set(ZENTORY_WINDOWS_ICON ${CMAKE_BINARY_DIR}/zentory.ico)
set(ZENTORY_SETUP ${CMAKE_BINARY_DIR}/zentory-setup-${PROJECT_VERSION}-x64.exe)

find_program(ZENTORY_MAKENSIS makensis)
if(NOT ZENTORY_MAKENSIS)
  message(WARNING "makensis not found (Debian package nsis): no Windows setup program")
  return()
endif()

# NSIS lines that install the files `files` into `folder` (relative to the
# install folder, "" for itself), and lines that remove them again.
function(zentory_nsis_lines install_var remove_var folder)
  set(to "$INSTDIR")
  if(folder)
    set(to "$INSTDIR\\${folder}")
  endif()
  set(adds "  SetOutPath \"${to}\"\n")
  set(drops "")
  foreach(f IN LISTS ARGN)
    cmake_path(GET f FILENAME name)
    string(APPEND adds "  File \"${f}\"\n")
    string(APPEND drops "  Delete \"${to}\\${name}\"\n")
  endforeach()
  if(folder)
    string(APPEND drops "  RMDir \"${to}\"\n")
  endif()
  set(${install_var} "${${install_var}}${adds}" PARENT_SCOPE)
  set(${remove_var} "${${remove_var}}${drops}" PARENT_SCOPE)
endfunction()

# Called once every folder has been read: the window's target may be defined
# after this file is included.
function(zentory_windows_setup)
  set(stage ${CMAKE_BINARY_DIR}/setup-programs)
  set(programs zentory-cli)
  set(defines "")
  if(TARGET zentory)
    list(APPEND programs zentory)
    string(APPEND defines "!define ZENTORY_WINDOW\n")
  endif()
  set(strip_commands "")
  set(staged "")
  foreach(program IN LISTS programs)
    list(APPEND strip_commands COMMAND ${CMAKE_STRIP} -o ${stage}/${program}.exe
         $<TARGET_FILE:${program}>)
    list(APPEND staged ${stage}/${program}.exe)
  endforeach()

  set(install "")
  set(remove "")
  zentory_nsis_lines(install remove "" ${staged} ${ZENTORY_DATA_FILES}
                     ${PROJECT_SOURCE_DIR}/LICENSE)
  zentory_nsis_lines(install remove screenshots ${ZENTORY_HELP_IMAGES})
  set(files ${CMAKE_BINARY_DIR}/setup-files.nsh)
  file(GENERATE OUTPUT ${files} CONTENT
"; What the setup installs, written by cmake/WindowsInstaller.cmake.
!define ZENTORY_VERSION \"${PROJECT_VERSION}\"
!define ZENTORY_HOMEPAGE \"${PROJECT_HOMEPAGE_URL}\"
!define ZENTORY_OUTFILE \"${ZENTORY_SETUP}\"
!define ZENTORY_ICON \"${ZENTORY_WINDOWS_ICON}\"
!define ZENTORY_LICENSE \"${PROJECT_SOURCE_DIR}/LICENSE\"
!define ZENTORY_MARKER_SOURCE \"${PROJECT_SOURCE_DIR}/res/windows/installed-by-setup.txt\"
${defines}!macro ZentoryInstallFiles
${install}!macroend
!macro ZentoryRemoveFiles
${remove}!macroend
")

  set(script ${PROJECT_SOURCE_DIR}/res/windows/zentory.nsi)
  add_custom_command(OUTPUT ${ZENTORY_SETUP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    ${strip_commands}
    # -WX: a warning (a missing file, a misspelt name) fails the build.
    COMMAND ${ZENTORY_MAKENSIS} -V2 -WX -DZENTORY_FILES=${files} ${script}
    DEPENDS ${script} ${files} ${programs} ${ZENTORY_DATA_FILES} ${ZENTORY_HELP_IMAGES}
            ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/res/windows/installed-by-setup.txt
    COMMENT "Making the Windows setup program zentory-setup-${PROJECT_VERSION}-x64.exe"
    VERBATIM)
  add_custom_target(zentory-setup ALL DEPENDS ${ZENTORY_SETUP})
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL zentory_windows_setup)
