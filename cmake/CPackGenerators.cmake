# Read by cpack for each generator: the archive is the portable folder, the
# Debian package the installed tree under /usr.

# Every time stamp in the packages is SOURCE_DATE_EPOCH: the one given, else
# the time of the last commit, else the release date, so that two builds of
# one commit make the same bytes.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${CPACK_ZENTORY_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    set(epoch ${CPACK_ZENTORY_RELEASE_EPOCH})
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()

if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL portable)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_ARCHIVE_PORTABLE_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CPackPortableArchive.cmake)
elseif(CPACK_GENERATOR STREQUAL "DEB")
  # The -dbgsym package takes the debug symbols out of unstripped programs.
  set(CPACK_STRIP_FILES OFF)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CPackDebianFiles.cmake)
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CPackDebianRebuild.cmake)
endif()
