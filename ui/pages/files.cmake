list(APPEND CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/ui/pages/summary_text.cpp
  ${CMAKE_SOURCE_DIR}/ui/pages/destination_checks.cpp)
list(APPEND WIN_SOURCES ${CMAKE_SOURCE_DIR}/ui/pages/pages.cpp)
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/native/wizard_text_test.cpp)
