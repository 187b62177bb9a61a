list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/integration/virtual_printer.cpp
  ${CMAKE_SOURCE_DIR}/integration/component_registry.cpp)
