list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/framework/dialog.cpp
  ${CMAKE_SOURCE_DIR}/framework/control.cpp)
