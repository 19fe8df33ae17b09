# The Windows setup program, zentory-setup-VERSION-x64.exe in the build
# folder, made by makensis (Debian's nsis) from res/windows/zentory.nsi as
# part of the default build (target zentory-setup). It installs what the
# portable zip holds (WindowsPackage.cmake): the programs, stripped, and the
# same lists of shipped files, so the two cannot drift.
#
# The setup's icon is the programs' (WindowsResources.cmake). Its bytes follow
# the source, not the build: every file in it carries the time of
# SourceDateEpoch.cmake, and makensis adds no time of its own.
include(${PROJECT_SOURCE_DIR}/cmake/WindowsResources.cmake)
set(ZENTORY_SETUP ${CMAKE_BINARY_DIR}/zentory-setup-${PROJECT_VERSION}-x64.exe)

find_program(ZENTORY_MAKENSIS makensis)
if(NOT ZENTORY_MAKENSIS)
  message(WARNING "makensis not found (Debian package nsis): no Windows setup program")
  return()
endif()

# NSIS lines that install the files `files` of the stage's `folder` into the
# same folder of the install folder ("" for itself), lines that remove them
# again, and lines that remove the folder once it is empty.
function(zentory_nsis_lines install_var remove_var folders_var stage folder)
  set(to "$INSTDIR")
  set(from "${stage}")
  if(folder)
    set(to "$INSTDIR\\${folder}")
    set(from "${stage}/${folder}")
  endif()
  set(adds "  SetOutPath \"${to}\"\n")
  set(drops "")
  foreach(f IN LISTS ARGN)
    cmake_path(GET f FILENAME name)
    string(APPEND adds "  File \"${from}/${name}\"\n")
    string(APPEND drops "  Delete \"${to}\\${name}\"\n")
  endforeach()
  if(folder)
    set(${folders_var} "${${folders_var}}  RMDir \"${to}\"\n" PARENT_SCOPE)
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
  set(program_files "")
  set(program_names "")
  foreach(program IN LISTS programs)
    list(APPEND program_files $<TARGET_FILE:${program}>)
    list(APPEND program_names ${program}.exe)
  endforeach()
  set(marker ${PROJECT_SOURCE_DIR}/res/windows/installed-by-setup.txt)
  set(shipped ${ZENTORY_DATA_FILES} ${PROJECT_SOURCE_DIR}/LICENSE ${marker})

  set(install "")
  set(remove "")
  set(folders "")
  zentory_nsis_lines(install remove folders ${stage} "" ${program_names} ${ZENTORY_DATA_FILES}
                     ${PROJECT_SOURCE_DIR}/LICENSE)
  zentory_nsis_lines(install remove folders ${stage} screenshots ${ZENTORY_HELP_IMAGES})
  # The version, the output file and the icon may be given on makensis's
  # command line instead (-DZENTORY_VERSION=1.00 ...), as the upgrade's test
  # does to make the setup of an earlier version.
  set(files ${CMAKE_BINARY_DIR}/setup-files.nsh)
  file(GENERATE OUTPUT ${files} CONTENT
"; What the setup installs, written by cmake/WindowsInstaller.cmake.
!ifndef ZENTORY_VERSION
  !define ZENTORY_VERSION \"${PROJECT_VERSION}\"
  !define ZENTORY_FILE_VERSION \"${ZENTORY_FILE_VERSION}\"
!endif
!ifndef ZENTORY_OUTFILE
  !define ZENTORY_OUTFILE \"${ZENTORY_SETUP}\"
!endif
!define ZENTORY_YEAR \"${ZENTORY_COPYRIGHT_YEAR}\"
!define ZENTORY_HOMEPAGE \"${PROJECT_HOMEPAGE_URL}\"
!define ZENTORY_ICON \"${ZENTORY_WINDOWS_ICON}\"
!define ZENTORY_LICENSE \"${stage}/LICENSE\"
!define ZENTORY_MARKER_SOURCE \"${stage}/installed-by-setup.txt\"
${defines}!macro ZentoryInstallFiles
${install}!macroend
!macro ZentoryRemoveFiles
${remove}!macroend
!macro ZentoryRemoveFolders
${folders}!macroend
")

  # The time every file in the setup carries; written again at each build,
  # touched only when it changes.
  set(epoch_file ${CMAKE_BINARY_DIR}/source-date-epoch.txt)
  add_custom_target(zentory_source_date ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DRELEASE_DATE=${ZENTORY_RELEASE_DATE} -DOUTPUT=${epoch_file}
            -P ${PROJECT_SOURCE_DIR}/cmake/SourceDateEpoch.cmake
    BYPRODUCTS ${epoch_file}
    VERBATIM)

  set(script ${PROJECT_SOURCE_DIR}/res/windows/zentory.nsi)
  add_custom_command(OUTPUT ${ZENTORY_SETUP}
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DEPOCH_FILE=${epoch_file} -DSTRIP=${CMAKE_STRIP}
            "-DPROGRAMS=${program_files}" "-DFILES=${shipped}" "-DIMAGES=${ZENTORY_HELP_IMAGES}"
            -P ${PROJECT_SOURCE_DIR}/cmake/WindowsSetupStage.cmake
    # -WX: a warning (a missing file, a misspelt name) fails the build.
    COMMAND ${ZENTORY_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8 -DZENTORY_FILES=${files} ${script}
    DEPENDS ${script} ${files} ${programs} ${shipped} ${ZENTORY_HELP_IMAGES} ${epoch_file}
            ${ZENTORY_WINDOWS_ICON} zentory_icon
            ${PROJECT_SOURCE_DIR}/cmake/WindowsSetupStage.cmake
    COMMENT "Making the Windows setup program zentory-setup-${PROJECT_VERSION}-x64.exe"
    VERBATIM)
  add_custom_target(zentory-setup ALL DEPENDS ${ZENTORY_SETUP})
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL zentory_windows_setup)
