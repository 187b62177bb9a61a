# Options, page results and the page flow, product constants and the install-context interfaces.
kelto_layer(core PORTABLE setup_options.cpp page_flow.cpp outside_text.cpp install_paths.cpp association_class.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/page_flow_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/setup_options_test.cpp)
