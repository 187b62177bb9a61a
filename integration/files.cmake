list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/integration/component_registry.cpp)
include(${CMAKE_SOURCE_DIR}/integration/printer_files.cmake)
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/integration/plugin_runner.cpp
  ${CMAKE_SOURCE_DIR}/integration/word_addin.cpp
  ${CMAKE_SOURCE_DIR}/integration/stamps_languages_ocr.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/components_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/plugin_runner_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/word_addin_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/stamps_test.cpp)
