# Fails unless every file of FILES has the SHA-256 EXPECTED: the rates that came with the program
# must be the real document they are named for, never a file written for the tests.
#   cmake -DEXPECTED=<sha256> -DFILES=<a|b|...> -P tests/bundled_rates.cmake
string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "bundled rates: ${file} is missing")
  endif()
  file(SHA256 "${file}" actual)
  if(NOT actual STREQUAL EXPECTED)
    message(FATAL_ERROR "bundled rates: ${file} has SHA-256 ${actual}, not ${EXPECTED}")
  endif()
  message(STATUS "bundled rates: ${file} is the published document")
endforeach()
list(LENGTH files count)
if(count LESS 2)
  message(FATAL_ERROR "bundled rates: nothing to compare")
endif()
