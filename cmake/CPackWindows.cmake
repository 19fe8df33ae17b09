# Read by cpack for the portable zip of the Windows programs: every entry in
# it is dated SOURCE_DATE_EPOCH (the one given, else the last commit's time,
# else the release date), so that two builds of one commit give the same zip.
include(${CPACK_ZENTORY_SOURCE_DIR}/cmake/SourceDateEpoch.cmake)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  zentory_source_date_epoch(epoch ${CPACK_ZENTORY_SOURCE_DIR} ${CPACK_ZENTORY_RELEASE_DATE})
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
# A zip entry's date is local time: written in UTC, the zip does not follow
# the time zone of the machine that packs it.
set(ENV{TZ} UTC0)
