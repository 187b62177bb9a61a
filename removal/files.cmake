# Removal of an earlier installation: the three ways (their progress windows are pages).
kelto_layer(removal WIN previous_version_remover.cpp)
list(APPEND WIN_TESTS ${CMAKE_SOURCE_DIR}/tests/win/removal_test.cpp)
