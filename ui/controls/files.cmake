kelto_layer(controls PORTABLE button_gradient.cpp WIN skin_button.cpp hyperlink_label.cpp skin_image.cpp colour_edit.cpp)
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/native/button_gradient_test.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/controls_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/controls_test.rc)
# windres does not follow the bitmap the test template pulls in.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/win/controls_test.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/controls_test.bmp)
