# Debian's build flags for the release preset, read as a toolchain file so that
# they are the compiler's flags from the first test on: dpkg-buildflags with
# every hardening feature (stack protector, _FORTIFY_SOURCE, format checks,
# PIE, RELRO and BIND_NOW) unless DEB_BUILD_MAINT_OPTIONS says otherwise.
# Run in the source folder, its path becomes "." in the debug information.
if(NOT DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
  set(ENV{DEB_BUILD_MAINT_OPTIONS} hardening=+all)
endif()
foreach(flags CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND dpkg-buildflags --get ${flags}
    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/..
    OUTPUT_VARIABLE debian_${flags} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# Debian 12's dpkg-buildflags predates the "stackclash" and "branch" hardening
# that later dpkg adds. (The programs still carry no IBT/SHSTK mark: Debian
# 12's C start files have none, so the linker drops it from every program.)
if(NOT debian_CXXFLAGS MATCHES "stack-clash-protection")
  string(APPEND debian_CXXFLAGS " -fstack-clash-protection")
endif()
if(NOT debian_CXXFLAGS MATCHES "cf-protection" AND CMAKE_HOST_SYSTEM_PROCESSOR MATCHES "x86_64|amd64")
  string(APPEND debian_CXXFLAGS " -fcf-protection")
endif()
set(CMAKE_CXX_FLAGS_INIT "${debian_CPPFLAGS} ${debian_CXXFLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${debian_LDFLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${debian_LDFLAGS}")
