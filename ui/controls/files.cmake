list(APPEND CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/ui/controls/button_gradient.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/button_gradient_test.cpp)
