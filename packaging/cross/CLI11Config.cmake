# CLI11 for a cross build. CLI11 is header-only, so the build machine's copy
# serves any target, but it lies in /usr/include beside the build machine's C
# library headers, which the cross compiler must never see. This config makes
# a folder in the build tree that holds only CLI/ and points the CLI11::CLI11
# target at it.
find_path(KVETRO_HOST_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include /usr/local/include
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT KVETRO_HOST_CLI11_INCLUDE)
  set(CLI11_FOUND FALSE)
  set(CLI11_NOT_FOUND_MESSAGE "CLI/CLI.hpp not found on the build machine (package libcli11-dev)")
  return()
endif()

set(_kvetro_cli11_only ${CMAKE_BINARY_DIR}/cli11-include)
if(NOT EXISTS ${_kvetro_cli11_only}/CLI)
  file(MAKE_DIRECTORY ${_kvetro_cli11_only})
  file(CREATE_LINK ${KVETRO_HOST_CLI11_INCLUDE}/CLI ${_kvetro_cli11_only}/CLI SYMBOLIC
       COPY_ON_ERROR)
endif()

if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
                                                ${_kvetro_cli11_only})
endif()
set(CLI11_FOUND TRUE)
