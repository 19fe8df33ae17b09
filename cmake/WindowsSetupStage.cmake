# Gathers what the setup program installs into one folder before makensis packs
# it: the programs stripped, the shipped files copied, and every one of them
# dated at the time in EPOCH_FILE (SourceDateEpoch.cmake). The setup keeps each
# file's date, so that the setup's bytes do not follow the time of the build.
#   cmake -DSTAGE=dir -DEPOCH_FILE=epoch.txt -DSTRIP=strip -DPROGRAMS=a.exe;b.exe
#         -DFILES=config.ini;... -DIMAGES=main-en.png -P WindowsSetupStage.cmake
file(STRINGS "${EPOCH_FILE}" epoch LIMIT_COUNT 1)
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "${EPOCH_FILE}: no time in it")
endif()
# strip writes a new time into a program's header, this one when it is given.
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/screenshots")
set(staged "")
foreach(program IN LISTS PROGRAMS)
  cmake_path(GET program FILENAME name)
  execute_process(COMMAND ${STRIP} -o "${STAGE}/${name}" "${program}" COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND staged "${STAGE}/${name}")
endforeach()
foreach(f IN LISTS FILES)
  file(COPY "${f}" DESTINATION "${STAGE}")
  cmake_path(GET f FILENAME name)
  list(APPEND staged "${STAGE}/${name}")
endforeach()
foreach(f IN LISTS IMAGES)
  file(COPY "${f}" DESTINATION "${STAGE}/screenshots")
  cmake_path(GET f FILENAME name)
  list(APPEND staged "${STAGE}/screenshots/${name}")
endforeach()
execute_process(COMMAND touch -d "@${epoch}" ${staged} COMMAND_ERROR_IS_FATAL ANY)
