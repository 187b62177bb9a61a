# The virtual printer, its spooler seam and the default-printer call, with their Windows tests.
list(APPEND WIN_SOURCES
  ${CMAKE_SOURCE_DIR}/integration/virtual_printer.cpp
  ${CMAKE_SOURCE_DIR}/integration/spooler.cpp
  ${CMAKE_SOURCE_DIR}/integration/default_printer.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/virtual_printer_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/default_printer_test.cpp)
