kelto_layer(i18n PORTABLE language_catalogue.cpp string_catalogue.cpp wizard_language.cpp WIN win_string_sources.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/i18n_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/i18n_test_builtin_strings.cpp)
