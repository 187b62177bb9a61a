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
