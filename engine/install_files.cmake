# Install sequence, product file copy, registry records and shortcuts.
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/engine/install_sequence.cpp
  ${CMAKE_SOURCE_DIR}/engine/file_copy.cpp
  ${CMAKE_SOURCE_DIR}/engine/registry.cpp
  ${CMAKE_SOURCE_DIR}/engine/product_records.cpp
  ${CMAKE_SOURCE_DIR}/engine/shortcuts.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/registry_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/install_records_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/install_file_copy_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/shortcuts_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/install_sequence_test.cpp)
