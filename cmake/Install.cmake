# What `cmake --install` lays out and what CPack packs.
#
# An installed tree (any prefix; /usr in the .deb):
#   bin/zentory, bin/zentory-cli
#   share/zentory/            config.ini, zentorytrl.ini, help.html, screenshots/
#   share/applications/, share/icons/hicolor/, share/metainfo/   (the window only)
#   share/man/man1/, share/bash-completion/completions/
# The program finds its files in ../share/zentory relative to itself, so the
# tree may be moved as a whole. The .deb adds what Debian asks of a package:
# share/doc/zentory/copyright and changelog.Debian.gz, and the lintian
# overrides (CPackDebianFiles.cmake).
#
# The portable folder (the TGZ) is the component "portable", left out of a
# plain install: both executables with the shipped files beside them, as in
# the build folder, and the licence.
include(GNUInstallDirs)
set(ZENTORY_LINUX_RES ${PROJECT_SOURCE_DIR}/res/linux)
set(ZENTORY_INSTALL_DATA ${CMAKE_INSTALL_DATADIR}/zentory)
set(ZENTORY_PROGRAMS zentory-cli)
if(ZENTORY_BUILD_GUI)
  list(APPEND ZENTORY_PROGRAMS zentory)
endif()

# Folders 0755 whatever the umask of the install. cmake hands that mode to
# mkdir, which takes the umask off it, so the folders the install needs are
# made first, each one missing made and then set to 0755; folders that are
# there already are left as they are.
set(install_dirs ${CMAKE_INSTALL_BINDIR} ${ZENTORY_INSTALL_DATA}/screenshots
    ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
if(ZENTORY_BUILD_GUI)
  list(APPEND install_dirs ${CMAKE_INSTALL_DATADIR}/applications ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size scalable 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256)
    list(APPEND install_dirs ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
  endforeach()
endif()
install(CODE "set(zentory_install_dirs \"${install_dirs}\")")
install(CODE [[
  foreach(dir IN LISTS zentory_install_dirs)
    set(path "$ENV{DESTDIR}")
    string(REPLACE "/" ";" parts "${CMAKE_INSTALL_PREFIX}/${dir}")
    foreach(part IN LISTS parts)
      if(NOT part)
        continue()
      endif()
      string(APPEND path "/${part}")
      if(NOT IS_DIRECTORY "${path}")
        file(MAKE_DIRECTORY "${path}")
        file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
             GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
      endif()
    endforeach()
  endforeach()
]])

install(TARGETS ${ZENTORY_PROGRAMS} DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ZENTORY_DATA_FILES} DESTINATION ${ZENTORY_INSTALL_DATA})
install(FILES ${ZENTORY_HELP_IMAGES} DESTINATION ${ZENTORY_INSTALL_DATA}/screenshots)

set(man_pages zentory-cli)
if(ZENTORY_BUILD_GUI)
  list(APPEND man_pages zentory)
endif()
foreach(page IN LISTS man_pages)
  configure_file(${ZENTORY_LINUX_RES}/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The release date as Debian's changelog writes it, and as a time stamp for
# packages built outside a git checkout.
execute_process(COMMAND date -u -d "${ZENTORY_RELEASE_DATE}" -R
  OUTPUT_VARIABLE ZENTORY_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -d "${ZENTORY_RELEASE_DATE}" +%s
  OUTPUT_VARIABLE ZENTORY_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(ZENTORY_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
# The Debian package's own documents, added by CPackDebianFiles.cmake.
configure_file(${ZENTORY_LINUX_RES}/copyright.in ${PROJECT_BINARY_DIR}/doc/copyright @ONLY)
configure_file(${ZENTORY_LINUX_RES}/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog.Debian @ONLY)

install(FILES ${ZENTORY_LINUX_RES}/zentory-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zentory-cli)

if(ZENTORY_BUILD_GUI)
  install(FILES ${ZENTORY_LINUX_RES}/${ZENTORY_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${ZENTORY_LINUX_RES}/${ZENTORY_APP_ID}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/${ZENTORY_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${ZENTORY_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon as drawn, and rendered at the sizes desktops look for first.
  set(icon ${PROJECT_SOURCE_DIR}/res/icon.svg)
  set(icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${icon} DESTINATION ${icon_dir}/scalable/apps RENAME ${ZENTORY_APP_ID}.svg)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(pngs)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${ZENTORY_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon}
      DEPENDS ${icon} VERBATIM)
    list(APPEND pngs ${png})
    install(FILES ${png} DESTINATION ${icon_dir}/${size}x${size}/apps)
  endforeach()
  add_custom_target(zentory_icons ALL DEPENDS ${pngs})
endif()

# The portable folder.
install(TARGETS ${ZENTORY_PROGRAMS} DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES ${ZENTORY_DATA_FILES} ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES ${ZENTORY_HELP_IMAGES} DESTINATION screenshots COMPONENT portable EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME zentory)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_CONTACT "${ZENTORY_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn the contents of a folder into a plain text file")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Orvane Zentory lists the files of a folder, and on request those of all its\n"
  "sub-folders, and saves the sorted list as a plain text file with a title line,\n"
  "a heading per sub-folder and an optional dated footer. The window speaks\n"
  "English, German and French; zentory-cli writes the same list for scripts and\n"
  "machines without a display.")
set(CPACK_GENERATOR DEB TGZ)
# Stripped here; the .deb keeps the symbols apart in its -dbgsym package.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs (folder, save, message boxes) in the interface language;
# xdg-open for the help page, the web page and a list opened after saving.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
# Read by CPackGenerators.cmake when cpack runs.
set(CPACK_ZENTORY_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_ZENTORY_RELEASE_EPOCH ${ZENTORY_RELEASE_EPOCH})
set(CPACK_ZENTORY_LINTIAN_OVERRIDES ${ZENTORY_LINUX_RES}/lintian-overrides)
set(CPACK_ZENTORY_DEBIAN_COPYRIGHT ${PROJECT_BINARY_DIR}/doc/copyright)
set(CPACK_ZENTORY_DEBIAN_CHANGELOG ${PROJECT_BINARY_DIR}/doc/changelog.Debian)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackGenerators.cmake)
include(CPack)
