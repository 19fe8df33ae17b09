# The portable zip of the Windows programs: zentory-cli.exe with the shipped
# files beside it, a folder that runs wherever it is unpacked
# (`cpack -G ZIP` in the build folder: zentory-VERSION-windows-x64.zip).
install(TARGETS zentory-cli DESTINATION .)
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
include(CPack)
