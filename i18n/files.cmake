list(APPEND CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/i18n/language_catalogue.cpp
  ${CMAKE_SOURCE_DIR}/i18n/string_catalogue.cpp
  ${CMAKE_SOURCE_DIR}/i18n/wizard_language.cpp)
list(APPEND CORE_WIN_SOURCES ${CMAKE_SOURCE_DIR}/i18n/win_string_sources.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/i18n_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/i18n_test_builtin_strings.cpp)
