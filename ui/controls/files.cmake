list(APPEND CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/ui/controls/button_gradient.cpp)
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/ui/controls/skin_button.cpp
  ${CMAKE_SOURCE_DIR}/ui/controls/hyperlink_label.cpp
  ${CMAKE_SOURCE_DIR}/ui/controls/skin_image.cpp
  ${CMAKE_SOURCE_DIR}/ui/controls/colour_edit.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/button_gradient_test.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/controls_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/controls_test.rc)
# windres does not follow the bitmap the test template pulls in.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/win/controls_test.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/controls_test.bmp)
