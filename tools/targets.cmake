# Host tools of the native tree.
add_executable(kelto-pack ${CMAKE_SOURCE_DIR}/tools/kelto_pack.cpp)
target_link_libraries(kelto-pack kelto_all)

add_executable(kelto-bench-decode ${CMAKE_SOURCE_DIR}/tools/bench_decode.cpp)
target_link_libraries(kelto-bench-decode kelto_all)

# The packager's tests run the real tool.
if(TARGET native_tests)
  add_dependencies(native_tests kelto-pack)
  target_compile_definitions(native_tests PRIVATE KELTO_PACK_EXE="$<TARGET_FILE:kelto-pack>")
endif()

# The release script end to end with this packager: bad inputs, two builds compared byte for byte, the PE flags,
# signing. One release build at a time; `release.build` makes the setup the others read.
set(RELEASE_TEST ${CMAKE_SOURCE_DIR}/tests/release/make_setup_test.sh)
get_filename_component(release_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
set(RELEASE_CASES build reproducible pe signed bad-subfolder bad-refused-name bad-trailing-dot bad-symlink bad-empty
    bad-no-uninstaller bad-missing bad-wrong-password bad-unwritable-output)
foreach(case ${RELEASE_CASES})
  add_test(NAME release.${case} COMMAND bash ${RELEASE_TEST} ${case})
  set_tests_properties(release.${case} PROPERTIES TIMEOUT 900 RESOURCE_LOCK kelto_release
    ENVIRONMENT "KELTO_TEST_DIR=${CMAKE_BINARY_DIR}/release-test;KELTO_PACKER=$<TARGET_FILE:kelto-pack>;BUILD_DIR=${release_build_root};JOBS=2")
endforeach()
set_tests_properties(release.build PROPERTIES FIXTURES_SETUP release_setup)
set_tests_properties(release.reproducible release.pe release.signed PROPERTIES FIXTURES_REQUIRED release_setup)
