# The session, start-up, the install sequence, the removal step and the finish actions.
kelto_layer(app
  PORTABLE detection.cpp
  WIN setup_session.cpp preflight.cpp removal_step.cpp install_step.cpp install_sequence.cpp finish_actions.cpp)
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/native/detection_test.cpp)
list(APPEND WIN_TESTS ${CMAKE_SOURCE_DIR}/tests/win/install_sequence_test.cpp)
