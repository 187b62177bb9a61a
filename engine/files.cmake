# Package, product files, records, shortcuts and associations.
kelto_layer(engine
  PORTABLE package_archive.cpp package_lzma.cpp package_stream.cpp package_writer.cpp product_files.cpp
  WIN extract_package.cpp file_copy.cpp product_records.cpp shortcuts.cpp associations.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/package_lzma_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/package_archive_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/package_pack_test.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/extract_package_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/install_records_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/install_file_copy_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/shortcuts_test.cpp)
list(APPEND FUZZERS ${CMAKE_SOURCE_DIR}/fuzz/package_fuzz.cpp)
