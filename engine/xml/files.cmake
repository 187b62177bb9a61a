kelto_layer(xml PORTABLE xml_document.cpp NATIVE ansi_codepage_native.cpp WIN ansi_codepage_win.cpp)
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/native/xml_test.cpp)
list(APPEND FUZZERS ${CMAKE_SOURCE_DIR}/fuzz/xml_fuzz.cpp)
