# Windows test programs and the ctest entries that run them under Wine, one throwaway prefix per suite.
set(WINE_SCRIPTS ${CMAKE_SOURCE_DIR}/scripts)
set(WINE_RUN ${WINE_SCRIPTS}/winerun.sh)

add_library(gui_driver STATIC
  ${CMAKE_SOURCE_DIR}/tests/driver/gui_driver.cpp
  ${CMAKE_SOURCE_DIR}/tests/driver/png_writer.cpp
  ${CMAKE_SOURCE_DIR}/tests/driver/system_state.cpp
  ${CMAKE_SOURCE_DIR}/tests/driver/walk.cpp)
target_link_libraries(gui_driver PUBLIC user32 gdi32 advapi32 shell32 ole32 uuid winspool)

add_executable(walk ${CMAKE_SOURCE_DIR}/tests/driver/walk_main.cpp)
target_link_libraries(walk PRIVATE gui_driver)
target_link_options(walk PRIVATE -municode)
add_dependencies(walk setup)

add_executable(win_tests ${WIN_TESTS} $<TARGET_OBJECTS:setup_resources>)
target_link_libraries(win_tests PRIVATE kelto_all gui_driver gtest gtest_main oleacc)

file(GLOB E2E_TESTS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(e2e_tests ${E2E_TESTS})
target_link_libraries(e2e_tests PRIVATE gui_driver gtest gtest_main)
add_dependencies(e2e_tests setup)

# name, prefix architecture, then the command; every entry runs in its arch's prefix.
function(add_wine_test name arch)
  set(prefix ${CMAKE_BINARY_DIR}/wine/${arch})
  add_test(NAME ${name} COMMAND ${WINE_RUN} ${prefix} ${ARGN} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_${arch} RESOURCE_LOCK wine_${arch} TIMEOUT 600)
endfunction()

# The 32-bit setup runs in both kinds of prefix; the 64-bit test build (for machines that cannot start 32-bit
# programs) only in a 64-bit one. The end-to-end suite runs in the first.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(WINE_ARCHES win64)
else()
  set(WINE_ARCHES win32 win64)
endif()
list(GET WINE_ARCHES 0 E2E_ARCH)

foreach(arch ${WINE_ARCHES})
  set(prefix ${CMAKE_BINARY_DIR}/wine/${arch})
  add_test(NAME wine.${arch}.prefix.create COMMAND ${WINE_SCRIPTS}/wine-fixture.sh setup ${arch} ${prefix})
  set_tests_properties(wine.${arch}.prefix.create PROPERTIES FIXTURES_SETUP wine_${arch} TIMEOUT 300)
  add_test(NAME wine.${arch}.prefix.remove COMMAND ${WINE_SCRIPTS}/wine-fixture.sh teardown ${arch} ${prefix})
  set_tests_properties(wine.${arch}.prefix.remove PROPERTIES FIXTURES_CLEANUP wine_${arch})
  add_wine_test(wine.${arch}.unit ${arch} $<TARGET_FILE:win_tests>)
endforeach()

add_wine_test(wine.${E2E_ARCH}.e2e ${E2E_ARCH} $<TARGET_FILE:e2e_tests>)

# The whole product end to end: every scenario in a prefix of its own, made fresh for it and removed after.
add_executable(product_tests ${CMAKE_SOURCE_DIR}/tests/product/product_test.cpp)
target_link_libraries(product_tests PRIVATE gui_driver gtest gtest_main)
add_dependencies(product_tests setup payload_stage)
set(PRODUCT_SCENARIOS
  DefaultRouteInstallsTheWholeProduct
  CustomRouteInstallsIntoANewFolder
  CancelOnEveryKindOfPageLeavesTheSystemAlone
  FinishWithEveryChoiceClearedOnlyDeletesTheExtractionFolder
  ReinstallOverTheSameVersionGoesThroughTheOldUninstaller
  LanguageRouteInstallsInTheChosenLanguage
  KilledDuringProgressThenRunAgainEndsComplete
  CustomRouteOntoAFullDriveStopsThenCompletesOnceThereIsRoom)
# Scenarios whose drive D: is a RAM drive of this many KB: room for the whole product, which the test itself
# fills up and frees again.
set(PRODUCT_SMALL_D_SCENARIOS CustomRouteOntoAFullDriveStopsThenCompletesOnceThereIsRoom)
set(PRODUCT_SMALL_D_KB 8192)
foreach(arch ${WINE_ARCHES})
  foreach(scenario ${PRODUCT_SCENARIOS})
    set(name wine.${arch}.product.${scenario})
    set(prefix ${CMAKE_BINARY_DIR}/wine/product-${arch}-${scenario})
    set(small_d)
    if(scenario IN_LIST PRODUCT_SMALL_D_SCENARIOS)
      set(small_d ${PRODUCT_SMALL_D_KB})
    endif()
    add_test(NAME ${name}.prefix.create COMMAND ${WINE_SCRIPTS}/wine-fixture.sh setup ${arch} ${prefix} ${small_d})
    set_tests_properties(${name}.prefix.create PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 300)
    add_test(NAME ${name}.prefix.remove COMMAND ${WINE_SCRIPTS}/wine-fixture.sh teardown ${arch} ${prefix})
    set_tests_properties(${name}.prefix.remove PROPERTIES FIXTURES_CLEANUP ${name})
    add_test(NAME ${name} COMMAND ${WINE_RUN} ${prefix} $<TARGET_FILE:product_tests> --gtest_filter=Product.${scenario}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${name} TIMEOUT 600)
  endforeach()
endforeach()

# Language files the end-to-end tests lay beside the setup.
file(GLOB LANG_FILES ${CMAKE_SOURCE_DIR}/resources/lang/*.xml)
file(COPY ${LANG_FILES} DESTINATION ${CMAKE_BINARY_DIR}/lang)

# Benchmark, not a test: tools/bench_extract.sh runs it under Wine.
add_executable(bench_extract ${CMAKE_SOURCE_DIR}/tools/bench_extract_win.cpp)
target_link_libraries(bench_extract PRIVATE kelto_all psapi)
target_link_options(bench_extract PRIVATE -municode)

# Checks of the built setup.exe that run on the host, without Wine (label "host").
add_test(NAME host.setup.imports COMMAND bash ${CMAKE_SOURCE_DIR}/tests/host/setup_imports_test.sh $<TARGET_FILE:setup>)
set_tests_properties(host.setup.imports PROPERTIES LABELS host)

# A DLL planted beside the setup under a name the setup loads, and a program that loads that name the plain way.
add_library(planted_msi SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/planted/planted_dll.c)
set_target_properties(planted_msi PROPERTIES PREFIX "" OUTPUT_NAME msi RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
add_executable(plain_loader ${CMAKE_SOURCE_DIR}/tests/e2e/planted/plain_loader.c)
target_link_options(plain_loader PRIVATE -municode)
add_dependencies(e2e_tests planted_msi plain_loader)
