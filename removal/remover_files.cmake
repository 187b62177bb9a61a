# Removal of an earlier installation: the three ways and their progress windows.
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/removal/previous_version_remover.cpp
  ${CMAKE_SOURCE_DIR}/removal/removal_dialogs.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/removal_test.cpp)
