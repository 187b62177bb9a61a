# Native Linux tree: the portable core and its tests under ASan/UBSan, and the host tools.
# With KELTO_FUZZ (a clang tree) it builds only the libFuzzer harnesses and their bounded runs.
option(KELTO_SANITIZE "Build the native tree with ASan and UBSan" ON)
option(KELTO_FUZZ "Build the libFuzzer harnesses (needs clang)" OFF)
set(KELTO_FUZZ_SECONDS 30 CACHE STRING "How long each fuzzer runs in the test command")

include_directories(${CMAKE_SOURCE_DIR})
add_compile_options(-Wall -Wextra)
find_library(LZMA_LIB lzma REQUIRED)

if(KELTO_FUZZ)
  foreach(src ${FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" corpus ${name})
    add_executable(${name} ${src} ${PORTABLE_SOURCES} ${PORTABLE_NATIVE_SOURCES})
    target_compile_definitions(${name} PRIVATE KELTO_NATIVE=1)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} ${LZMA_LIB})
    add_test(NAME fuzz.${corpus}
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz-run.sh $<TARGET_FILE:${name}>
                     ${CMAKE_SOURCE_DIR}/fuzz/corpus/${corpus} ${KELTO_FUZZ_SECONDS})
    set_tests_properties(fuzz.${corpus} PROPERTIES TIMEOUT 900)
  endforeach()
  return()
endif()

if(KELTO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

add_compile_definitions(KELTO_NATIVE=1)
kelto_add_layer_libraries(NATIVE)
target_link_libraries(kelto_engine PUBLIC ${LZMA_LIB})

find_package(GTest REQUIRED)
include(GoogleTest)
if(NATIVE_TESTS)
  add_executable(native_tests ${NATIVE_TESTS})
  target_link_libraries(native_tests kelto_all GTest::gtest GTest::gtest_main)
  gtest_discover_tests(native_tests TEST_PREFIX "native." DISCOVERY_TIMEOUT 60)
endif()

# The include check itself, on includes planted in a copy of the tree.
add_test(NAME checks.includes COMMAND bash ${CMAKE_SOURCE_DIR}/tests/host/check_includes_test.sh)
set_tests_properties(checks.includes PROPERTIES TIMEOUT 300)

# Host tools (the packager) and anything else that needs the libraries to exist first.
include(${CMAKE_SOURCE_DIR}/tools/targets.cmake OPTIONAL)
