# Windows tree: setup.exe, the stand-in payload, the GUI driver and the tests that run under Wine.
set(KELTO_DEPS_PREFIX "" CACHE PATH "Prefix holding the cross-built liblzma")
set(KELTO_PACKAGE "" CACHE FILEPATH "Package stream to embed as PACKAGE/105 instead of the stand-in payload")
set(KELTO_PACKER "" CACHE FILEPATH "The native kelto-pack, which packs the stand-in payload")
# Without a package of their own, builds embed the stand-in payload packed by payload/targets.cmake.
set(KELTO_BUILT_PACKAGE OFF)
if(NOT KELTO_PACKAGE AND KELTO_PACKER AND EXISTS ${CMAKE_SOURCE_DIR}/payload/targets.cmake)
  set(KELTO_PACKAGE ${CMAKE_BINARY_DIR}/package/kelto.pkg)
  set(KELTO_BUILT_PACKAGE ON)
endif()

add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-municode> $<$<COMPILE_LANGUAGE:C,CXX>:-Wall>)
include(${CMAKE_SOURCE_DIR}/cmake/release.cmake)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
include_directories(${CMAKE_SOURCE_DIR})

list(APPEND CMAKE_PREFIX_PATH ${KELTO_DEPS_PREFIX})
find_package(liblzma CONFIG REQUIRED)


kelto_add_layer_libraries(WIN)
target_link_libraries(kelto_engine PUBLIC liblzma::liblzma)
target_link_libraries(kelto_all INTERFACE comctl32 shlwapi shell32 ole32 oleaut32 uuid gdi32 user32
                      advapi32 version winspool)

if(EXISTS ${CMAKE_SOURCE_DIR}/payload/targets.cmake)
  include(${CMAKE_SOURCE_DIR}/payload/targets.cmake)
endif()
include(${CMAKE_SOURCE_DIR}/resources/targets.cmake)
if(KELTO_BUILT_PACKAGE)
  add_dependencies(setup payload_package)
  add_dependencies(setup_resources payload_package)
endif()

# GoogleTest from Debian's sources, cross-compiled with the tree.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(${CMAKE_SOURCE_DIR}/tests/targets_win.cmake OPTIONAL)
