list(APPEND WIN_SOURCES ${CMAKE_SOURCE_DIR}/ui/pages/pages.cpp)
