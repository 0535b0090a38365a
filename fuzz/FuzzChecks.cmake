# The properties that the fuzzers check, one library for the fuzzers (fuzz
# preset) and for the tests that replay the seeds through them (tests/fuzz,
# in normal trees). A found input is kept by adding it to the seeds.
if(NOT TARGET kvetro_fuzz_checks)
  add_library(kvetro_fuzz_checks STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ConversionCase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConversionCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SeedInputs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TapeReadingCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WaveReadingCheck.cpp
  )
  target_link_libraries(kvetro_fuzz_checks PUBLIC kvetro_reader kvetro_reference PRIVATE kvetro_warnings)
endif()
