list(APPEND CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/ui/pages/summary_text.cpp
  ${CMAKE_SOURCE_DIR}/ui/pages/destination_checks.cpp)
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/ui/pages/wizard_page.cpp
  ${CMAKE_SOURCE_DIR}/ui/pages/first_pages.cpp
  ${CMAKE_SOURCE_DIR}/ui/pages/components_page.cpp
  ${CMAKE_SOURCE_DIR}/ui/pages/destination_page.cpp
  ${CMAKE_SOURCE_DIR}/ui/pages/later_pages.cpp)
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/native/wizard_text_test.cpp)
