list(APPEND WIN_TESTS ${CMAKE_SOURCE_DIR}/tests/win/payload_test.cpp)
