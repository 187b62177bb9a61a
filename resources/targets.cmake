# setup.exe: the program, its templates, texts, art and the embedded package.
set(GEN_RC ${CMAKE_BINARY_DIR}/generated/generated.rc)
set(gen "// Written by CMake.\n")
set(RC_DEPS ${CMAKE_SOURCE_DIR}/resources/ids.h ${CMAKE_SOURCE_DIR}/resources/dialogs.rc ${CMAKE_SOURCE_DIR}/resources/setup.ico
            ${CMAKE_SOURCE_DIR}/resources/setup.manifest ${CMAKE_SOURCE_DIR}/resources/license_en.txt)
foreach(piece strings_en.rc art.rc license.rc removal.rc)
  if(EXISTS ${CMAKE_SOURCE_DIR}/resources/${piece})
    string(APPEND gen "#include \"${CMAKE_SOURCE_DIR}/resources/${piece}\"\n")
    list(APPEND RC_DEPS ${CMAKE_SOURCE_DIR}/resources/${piece})
  endif()
endforeach()
if(KELTO_PACKAGE)
  string(APPEND gen "105 PACKAGE \"${KELTO_PACKAGE}\"\n")
  list(APPEND RC_DEPS ${KELTO_PACKAGE})
endif()
file(GENERATE OUTPUT ${GEN_RC} CONTENT "${gen}")

add_executable(setup WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${CMAKE_SOURCE_DIR}/resources/setup.rc)
target_link_libraries(setup PRIVATE kelto_all)
target_link_options(setup PRIVATE -municode -mwindows)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/setup.rc PROPERTIES OBJECT_DEPENDS "${RC_DEPS};${GEN_RC}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR}/generated -I${CMAKE_SOURCE_DIR}/resources -c65001")

# The same resources for test programs that show pages or look up built-in texts.
add_library(setup_resources OBJECT ${CMAKE_SOURCE_DIR}/resources/setup.rc)
