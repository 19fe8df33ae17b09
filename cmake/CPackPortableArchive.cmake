# Run by cpack after it has built the portable archive. cpack records each
# file's owner and mode as they are on disk: the building user's name and
# numbers, and modes that follow the umask of the build and the checkout.
# The archive is packed again as a distribution packs its archives: owner
# root (0) and group root (0), folders and programs 0755, every other file
# 0644, names in byte order, every time SOURCE_DATE_EPOCH.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.tar\\.gz$")
    continue()
  endif()
  set(tree "${CPACK_TOPLEVEL_DIRECTORY}/portable-tree")
  file(REMOVE_RECURSE "${tree}")
  file(MAKE_DIRECTORY "${tree}")
  execute_process(COMMAND tar -xzf ${package} -C ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB top RELATIVE "${tree}" "${tree}/*")
  execute_process(
    COMMAND tar -c --format=gnu --sort=name --owner=root:0 --group=root:0 --mode=u=rwX,go=rX,a-s
            --mtime=@$ENV{SOURCE_DATE_EPOCH} -C ${tree} ${top}
    COMMAND gzip -9n
    OUTPUT_FILE ${package} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
