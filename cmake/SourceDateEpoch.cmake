# The one time the Windows packages carry for every file and date in them, so
# that two builds of one commit give the same bytes: SOURCE_DATE_EPOCH when it
# is given, else the time of the last commit, else the release date of
# CMakeLists.txt (outside a git checkout).
#
# Included (by the zip's cpack settings), it defines zentory_source_date_epoch().
# Run as a script at build time, it writes the time to OUTPUT, and touches
# OUTPUT only when the time changed, so that what depends on it is made again
# after a new commit and only then:
#   cmake -DSOURCE_DIR=... -DRELEASE_DATE=2026-12-08 -DOUTPUT=epoch.txt -P SourceDateEpoch.cmake

function(zentory_source_date_epoch out source_dir release_date)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
  else()
    execute_process(COMMAND git -C ${source_dir} log -1 --format=%ct
      OUTPUT_VARIABLE epoch RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(failed OR NOT epoch MATCHES "^[0-9]+$")
      execute_process(COMMAND date -u -d "${release_date}" +%s
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endif()
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  zentory_source_date_epoch(epoch "${SOURCE_DIR}" "${RELEASE_DATE}")
  file(WRITE "${OUTPUT}.new" "${epoch}\n")
  file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUTPUT}.new")
endif()
