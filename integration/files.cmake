list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/integration/component_registry.cpp)
include(${CMAKE_SOURCE_DIR}/integration/printer_files.cmake)
