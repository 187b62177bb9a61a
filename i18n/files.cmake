kelto_layer(i18n PORTABLE language_catalogue.cpp string_catalogue.cpp wizard_language.cpp
            NATIVE builtin_strings_native.cpp WIN win_string_sources.cpp)
if(NOT WIN32)
  # The table behind builtin_strings_native.cpp, from the resource script itself.
  include(${CMAKE_SOURCE_DIR}/cmake/builtin_strings.cmake)
  set(builtin_strings_table ${CMAKE_BINARY_DIR}/generated/builtin_strings_en.cpp)
  kelto_builtin_strings(${CMAKE_SOURCE_DIR}/resources/strings_en.rc ${builtin_strings_table})
  list(APPEND LAYER_i18n_NATIVE ${builtin_strings_table})
endif()
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/native/i18n_test.cpp)
