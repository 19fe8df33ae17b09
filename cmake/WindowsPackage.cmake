# The portable zip of the Windows programs: zentory.exe (the window, once it
# is built) and zentory-cli.exe with the shipped files beside it, a folder
# that runs wherever it is unpacked (`cpack -G ZIP` in the build folder:
# zentory-VERSION-windows-x64.zip). The setup program (WindowsInstaller.cmake)
# installs the same files.
install(TARGETS zentory-cli DESTINATION .)
# The window is looked for once every folder has been read, so that it is
# found wherever its target is defined.
function(zentory_package_window)
  if(TARGET zentory)
    install(TARGETS zentory DESTINATION .)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL zentory_package_window)
install(FILES ${ZENTORY_DATA_FILES} DESTINATION .)
install(FILES ${ZENTORY_HELP_IMAGES} DESTINATION screenshots)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME zentory)
set(CPACK_PACKAGE_VENDOR "Orvane Zentory developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME zentory-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# Read by CPackWindows.cmake when cpack runs.
set(CPACK_ZENTORY_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_ZENTORY_RELEASE_DATE ${ZENTORY_RELEASE_DATE})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackWindows.cmake)
include(CPack)
