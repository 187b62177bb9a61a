list(APPEND CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/app/page_flow.cpp
  ${CMAKE_SOURCE_DIR}/app/setup_options.cpp
  ${CMAKE_SOURCE_DIR}/app/detection.cpp)
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/app/setup_session.cpp
  ${CMAKE_SOURCE_DIR}/app/preflight.cpp
  ${CMAKE_SOURCE_DIR}/app/removal_step.cpp
  ${CMAKE_SOURCE_DIR}/app/install_step.cpp)
list(APPEND NATIVE_TESTS
  ${CMAKE_SOURCE_DIR}/tests/native/page_flow_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/setup_options_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/native/detection_test.cpp)
