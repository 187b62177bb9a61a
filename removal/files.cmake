# Recursive deletion of folders, file patterns and registry keys.
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/removal/delete_tree.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/delete_tree_test.cpp)
include(${CMAKE_SOURCE_DIR}/removal/remover_files.cmake)
