# Run by cpack on the staged files before it builds the Debian package: the
# package's own documents (the DEP-5 copyright file and the Debian changelog,
# which a plain install has no use for) go to /usr/share/doc/zentory, and
# lintian reads the package's overrides from its own folder. Debian ships
# manual pages and the changelog compressed with gzip -9n (no name, no time)
# and programs without the compiler's .comment section.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
set(prefix "${root}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(docs "${prefix}/share/doc/zentory")
file(MAKE_DIRECTORY "${docs}")
file(COPY_FILE "${CPACK_ZENTORY_DEBIAN_COPYRIGHT}" "${docs}/copyright")
file(COPY_FILE "${CPACK_ZENTORY_DEBIAN_CHANGELOG}" "${docs}/changelog.Debian")
file(GLOB pages "${prefix}/share/man/man1/*.1")
foreach(file IN LISTS pages ITEMS "${docs}/changelog.Debian")
  execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(GLOB programs "${prefix}/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND objcopy --remove-section=.comment ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(MAKE_DIRECTORY "${prefix}/share/lintian/overrides")
file(COPY_FILE ${CPACK_ZENTORY_LINTIAN_OVERRIDES} "${prefix}/share/lintian/overrides/zentory")
