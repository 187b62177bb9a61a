list(APPEND WIN_TESTS ${CMAKE_SOURCE_DIR}/tests/win/preflight_test.cpp)
