# What both Windows programs carry as resources: the icon made from
# res/icon.svg, the manifest (res/windows/zentory.manifest) and the version
# information. Included by each program's CMakeLists.txt; the icon is made once,
# at the top of the build folder, where the setup program takes it from too.

# The four numbers Windows compares for a version of ours: the major number,
# then each digit of the two-digit minor one ("1.01" -> 1.0.1.0, "1.10" ->
# 1.1.0.0), so that the numbers order the releases as their names do.
function(zentory_windows_file_version out version)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9])([0-9])$")
    message(FATAL_ERROR "version ${version}: the Windows version numbers need MAJOR.NN")
  endif()
  set(${out} "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.0" PARENT_SCOPE)
endfunction()
zentory_windows_file_version(ZENTORY_FILE_VERSION ${PROJECT_VERSION})
# The copyright's year is the release's, never the day of the build.
string(SUBSTRING "${ZENTORY_RELEASE_DATE}" 0 4 ZENTORY_COPYRIGHT_YEAR)

set(ZENTORY_WINDOWS_ICON ${CMAKE_BINARY_DIR}/zentory.ico)
set(ZENTORY_MANIFEST ${PROJECT_SOURCE_DIR}/res/windows/zentory.manifest)
set(ZENTORY_RESOURCE_SCRIPT ${PROJECT_SOURCE_DIR}/src/gui/win32/ResourceScript.cmake)

if(NOT TARGET zentory_icon)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  find_program(ICOTOOL icotool REQUIRED)
  set(icon_pngs)
  foreach(size 16 24 32 48 256)
    set(png ${CMAKE_BINARY_DIR}/icon/icon-${size}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/res/icon.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/res/icon.svg VERBATIM)
    list(APPEND icon_pngs ${png})
  endforeach()
  # The largest picture goes in as PNG, as Windows expects of 256 pixels.
  list(POP_BACK icon_pngs large_png)
  add_custom_command(OUTPUT ${ZENTORY_WINDOWS_ICON}
    COMMAND ${ICOTOOL} -c -o ${ZENTORY_WINDOWS_ICON} ${icon_pngs} -r ${large_png}
    DEPENDS ${icon_pngs} ${large_png} VERBATIM)
  add_custom_target(zentory_icon DEPENDS ${ZENTORY_WINDOWS_ICON})
endif()

# Writes the resource script `rc` of PROGRAM (its file name without .exe,
# described as DESCRIPTION) at build time: the icon, the manifest and the
# version information, and the dialogs, menus and strings of the templates
# that follow TEMPLATES.
function(zentory_resource_script rc)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PROGRAM;DESCRIPTION" "TEMPLATES")
  add_custom_command(OUTPUT ${rc}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${rc} "-DTEMPLATES=${arg_TEMPLATES}"
            -DICON=${ZENTORY_WINDOWS_ICON} -DMANIFEST=${ZENTORY_MANIFEST}
            -DVERSION=${PROJECT_VERSION} -DFILE_VERSION=${ZENTORY_FILE_VERSION}
            -DYEAR=${ZENTORY_COPYRIGHT_YEAR} -DPROGRAM=${arg_PROGRAM}
            "-DDESCRIPTION=${arg_DESCRIPTION}" -P ${ZENTORY_RESOURCE_SCRIPT}
    DEPENDS ${arg_TEMPLATES} ${ZENTORY_RESOURCE_SCRIPT}
    VERBATIM)
  # windres reads the icon and the manifest that the script names.
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${ZENTORY_WINDOWS_ICON};${ZENTORY_MANIFEST}")
endfunction()
