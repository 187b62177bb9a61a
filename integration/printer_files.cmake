# The virtual printer, its spooler seam and the default-printer call, with their Windows tests.
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/integration/virtual_printer.cpp)
