list(APPEND CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/engine/package_archive.cpp
  ${CMAKE_SOURCE_DIR}/engine/package_lzma.cpp
  ${CMAKE_SOURCE_DIR}/engine/package_writer.cpp)
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/engine/extract_package.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/package_lzma_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/package_archive_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/package_pack_test.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/extract_package_test.cpp)
list(APPEND FUZZERS
  ${CMAKE_SOURCE_DIR}/fuzz/package_fuzz.cpp)
include(${CMAKE_SOURCE_DIR}/engine/install_files.cmake)
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/engine/associations.cpp
  ${CMAKE_SOURCE_DIR}/app/finish_actions.cpp)
