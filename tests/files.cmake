list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/preflight_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/components_page_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/every_page_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/finish_actions_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/message_prompter_test.cpp)
