# Run by cpack on the staged files before it builds the Debian package: Debian
# ships manual pages and the changelog compressed with gzip -9n (no name, no
# time), programs without the compiler's .comment section, and lintian reads
# the package's overrides from its own folder.
file(GLOB docs LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/zentory")
get_filename_component(share "${docs}" DIRECTORY)
get_filename_component(share "${share}" DIRECTORY)
get_filename_component(prefix "${share}" DIRECTORY)
file(GLOB pages "${share}/man/man1/*.1")
foreach(file IN LISTS pages ITEMS "${docs}/changelog.Debian")
  execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(GLOB programs "${prefix}/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND objcopy --remove-section=.comment ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(MAKE_DIRECTORY "${share}/lintian/overrides")
file(COPY_FILE ${CPACK_ZENTORY_LINTIAN_OVERRIDES} "${share}/lintian/overrides/zentory")
