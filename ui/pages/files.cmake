# The wizard pages and the removal progress windows.
kelto_layer(pages
  PORTABLE summary_text.cpp destination_checks.cpp
  WIN wizard_page.cpp first_pages.cpp components_page.cpp destination_page.cpp later_pages.cpp removal_dialogs.cpp)
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/native/wizard_text_test.cpp)
