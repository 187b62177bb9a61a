# The stand-in payload: small programs, libraries and data files under the exact names the setup installs,
# gathered flat in payload-stage/ and packed into the package that setup.exe embeds.
include(${CMAKE_SOURCE_DIR}/payload/names.cmake)
set(PAYLOAD_SOURCE ${CMAKE_SOURCE_DIR}/payload)
set(PAYLOAD_STAGE ${CMAKE_BINARY_DIR}/payload-stage)
set(PAYLOAD_BIN ${CMAKE_BINARY_DIR}/payload-bin)

function(payload_program target)
  add_executable(${target} WIN32 ${ARGN})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PAYLOAD_BIN})
  target_link_options(${target} PRIVATE -municode -s)
endfunction()

# No lib prefix, no runtime DLLs of the compiler, undecorated stdcall exports.
function(payload_library target)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${PAYLOAD_BIN}
                                             ARCHIVE_OUTPUT_DIRECTORY ${PAYLOAD_BIN}/import)
  target_link_options(${target} PRIVATE -static -static-libgcc -s -Wl,--kill-at)
endfunction()

payload_program(payload_main ${PAYLOAD_SOURCE}/src/main_program.cpp)
target_link_libraries(payload_main PRIVATE user32 gdi32 shell32 advapi32 winspool)
payload_program(payload_uninstall ${PAYLOAD_SOURCE}/src/uninstaller.cpp)
target_link_libraries(payload_uninstall PRIVATE advapi32)
payload_program(payload_plugin_setup ${PAYLOAD_SOURCE}/src/plugin_setup.cpp)
payload_program(payload_helper ${PAYLOAD_SOURCE}/src/stub_program.c)
payload_library(payload_library ${PAYLOAD_SOURCE}/src/stub_library.c)
payload_library(payload_printer_ui ${PAYLOAD_SOURCE}/src/printer_ui.c)
payload_library(payload_word_addin ${PAYLOAD_SOURCE}/src/word_addin.c)
target_link_libraries(payload_word_addin PRIVATE advapi32)

# Built file or target -> staged name. Several names may share one build.
set(PAYLOAD_FROM_TARGETS
  payload_main "Kelto Quorbel.exe"
  payload_uninstall Uninstall.exe
  payload_plugin_setup InPDFReaderPlugin.exe
  payload_plugin_setup UnPDFReaderPlugin.exe
  payload_helper KTC_ProxyProcess.exe
  payload_helper KTC_ProxyProcess64.exe
  payload_helper curl.exe
  payload_library ktdecod1.dll
  payload_library OnDemandPlugin.dll
  payload_library libcurl.dll
  payload_library libeay32.dll
  payload_library libssl32.dll
  payload_library psapi.dll
  payload_library framedyn.dll
  # The spooler that runs is Wine's 32-bit one, so the 64-bit names carry the same 32-bit code.
  payload_library kqmvpr_drv.dll
  payload_library kqmvpr_drv64.dll
  payload_printer_ui kqmvpr_ui.dll
  payload_printer_ui kqmvpr_ui64.dll
  payload_word_addin kpc_wordaddin.dll)
set(PAYLOAD_FROM_SOURCE config.xml Readme.txt Readme_ENG.txt Readme_FR.txt)

set(PAYLOAD_STAGED)
set(PAYLOAD_NAMES)
list(LENGTH PAYLOAD_FROM_TARGETS pairs)
math(EXPR last "${pairs} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET PAYLOAD_FROM_TARGETS ${i} target)
  list(GET PAYLOAD_FROM_TARGETS ${j} name)
  add_custom_command(OUTPUT "${PAYLOAD_STAGE}/${name}"
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> "${PAYLOAD_STAGE}/${name}"
    DEPENDS ${target} VERBATIM)
  list(APPEND PAYLOAD_STAGED "${PAYLOAD_STAGE}/${name}")
  list(APPEND PAYLOAD_NAMES "${name}")
endforeach()
foreach(name IN LISTS PAYLOAD_FROM_SOURCE)
  add_custom_command(OUTPUT "${PAYLOAD_STAGE}/${name}"
    COMMAND ${CMAKE_COMMAND} -E copy "${PAYLOAD_SOURCE}/data/${name}" "${PAYLOAD_STAGE}/${name}"
    DEPENDS "${PAYLOAD_SOURCE}/data/${name}" VERBATIM)
  list(APPEND PAYLOAD_STAGED "${PAYLOAD_STAGE}/${name}")
  list(APPEND PAYLOAD_NAMES "${name}")
endforeach()

set(generated)
foreach(name IN LISTS PAYLOAD_GENERATED)
  list(APPEND generated "${PAYLOAD_STAGE}/${name}")
  list(APPEND PAYLOAD_NAMES "${name}")
endforeach()
add_custom_command(OUTPUT ${generated}
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${PAYLOAD_STAGE} -P ${PAYLOAD_SOURCE}/make_data.cmake
  DEPENDS ${PAYLOAD_SOURCE}/make_data.cmake ${PAYLOAD_SOURCE}/names.cmake VERBATIM)
list(APPEND PAYLOAD_STAGED ${generated})

# The packer takes the whole folder: anything left from an older list of names goes now.
file(MAKE_DIRECTORY ${PAYLOAD_STAGE})
file(GLOB present RELATIVE ${PAYLOAD_STAGE} ${PAYLOAD_STAGE}/*)
foreach(name IN LISTS present)
  if(NOT name IN_LIST PAYLOAD_NAMES)
    file(REMOVE_RECURSE "${PAYLOAD_STAGE}/${name}")
  endif()
endforeach()

add_custom_target(payload_stage ALL DEPENDS ${PAYLOAD_STAGED})

if(KELTO_BUILT_PACKAGE)
  get_filename_component(package_folder ${KELTO_PACKAGE} DIRECTORY)
  set(packer_dep)
  if(EXISTS ${KELTO_PACKER})
    set(packer_dep ${KELTO_PACKER})
  endif()
  # Held against the product's file table, as a real product is.
  add_custom_command(OUTPUT ${KELTO_PACKAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_folder}
    COMMAND ${KELTO_PACKER} --check ${PAYLOAD_STAGE} -o ${KELTO_PACKAGE}
    DEPENDS ${PAYLOAD_STAGED} ${packer_dep} VERBATIM)
  add_custom_target(payload_package DEPENDS ${KELTO_PACKAGE})
endif()

# The Windows tests read the staged files; their target is defined after this file.
function(payload_stage_for_tests)
  if(TARGET win_tests)
    add_dependencies(win_tests payload_stage)
  endif()
endfunction()
cmake_language(DEFER CALL payload_stage_for_tests)
