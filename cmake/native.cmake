# Native Linux tree: the portable core and its tests under ASan/UBSan, plus the fuzz harnesses and host tools.
option(KELTO_SANITIZE "Build the native tree with ASan and UBSan" ON)
option(KELTO_FUZZ "Build the libFuzzer harnesses (needs clang)" OFF)

if(KELTO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra)

include_directories(${CMAKE_SOURCE_DIR})
add_library(kelto_core STATIC ${CORE_SOURCES} ${CORE_NATIVE_SOURCES})
target_compile_definitions(kelto_core PUBLIC KELTO_NATIVE=1)
find_package(PkgConfig)
find_library(LZMA_LIB lzma REQUIRED)
target_link_libraries(kelto_core PUBLIC ${LZMA_LIB})

find_package(GTest REQUIRED)
include(GoogleTest)
if(NATIVE_TESTS)
  add_executable(native_tests ${NATIVE_TESTS})
  target_link_libraries(native_tests kelto_core GTest::gtest GTest::gtest_main)
  gtest_discover_tests(native_tests TEST_PREFIX "native." DISCOVERY_TIMEOUT 60)
endif()

# Host tools (the packager) and anything else that needs kelto_core to exist first.
include(${CMAKE_SOURCE_DIR}/tools/targets.cmake OPTIONAL)

if(KELTO_FUZZ)
  foreach(src ${FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${CORE_SOURCES} ${CORE_NATIVE_SOURCES})
    target_compile_definitions(${name} PRIVATE KELTO_NATIVE=1)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} ${LZMA_LIB})
  endforeach()
endif()
