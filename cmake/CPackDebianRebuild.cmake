# Run by cpack after it has built the Debian packages. Each is unpacked and
# built again with dpkg-deb, as a distribution's packages are built:
# - cpack writes the members of the package with the modes its files have on
#   disk, which follow the umask of the build; dpkg-deb writes them as dpkg
#   does, owner and group root, folders 0755 and files 0644 (programs 0755);
# - cpack writes the -dbgsym package's md5sums with the absolute paths of its
#   own staging folder, which are wrong for dpkg and differ from one build
#   folder to the next: the sums are made again from the files under their
#   installed paths;
# - the -dbgsym package's .debug files keep the programs' execute bits: they
#   are data, 0644;
# - the -dbgsym package's documents are those of the package it belongs to
#   (which it depends on at the same version): /usr/share/doc/zentory-dbgsym
#   is a link to /usr/share/doc/zentory, and its control file names the
#   source package.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.d?deb$")
    continue()
  endif()
  set(tree "${CPACK_TOPLEVEL_DIRECTORY}/rebuilt-tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  if(package MATCHES "-dbgsym_[^/]*\\.ddeb$")
    execute_process(COMMAND find usr/lib/debug -type f -exec chmod 0644 {} +
      WORKING_DIRECTORY ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(MAKE_DIRECTORY "${tree}/usr/share/doc")
    file(CREATE_LINK zentory "${tree}/usr/share/doc/zentory-dbgsym" SYMBOLIC)
    file(READ "${tree}/DEBIAN/control" control)
    if(NOT control MATCHES "\nSource: ")
      string(REGEX REPLACE "\n(Version: )" "\nSource: zentory\n\\1" control "${control}")
      file(WRITE "${tree}/DEBIAN/control" "${control}")
    endif()
    execute_process(COMMAND sh -c "find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums"
      WORKING_DIRECTORY ${tree} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(COMMAND chmod -R u=rwX,go=rX,a-s "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b ${tree} ${package}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
