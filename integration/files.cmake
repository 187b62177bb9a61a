# Components, virtual printer, add-in, plug-ins, stamps, language files and the OCR add-on.
kelto_layer(integration WIN
  component_registry.cpp language_config.cpp plugin_runner.cpp word_addin.cpp
  virtual_printer.cpp spooler.cpp default_printer.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/components_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/plugin_runner_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/word_addin_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/stamps_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/virtual_printer_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/default_printer_test.cpp)
