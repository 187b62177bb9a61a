# Release builds that anyone can rebuild to the same bytes: debug information for a separate file (the
# release script splits it off), no build paths, no link time stamp, archives without dates or owners.
option(KELTO_RELEASE "Reproducible release build with debug information" OFF)
if(NOT KELTO_RELEASE)
  return()
endif()

add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-g>)
# The most specific folder last: GCC applies the last map that matches.
set(maps "${CMAKE_SOURCE_DIR}=." "${CMAKE_BINARY_DIR}=build")
if(KELTO_DEPS_PREFIX)
  list(APPEND maps "${KELTO_DEPS_PREFIX}=deps")
endif()
foreach(map ${maps})
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${map}>)
endforeach()
# Names GCC makes up for files without a global symbol come from a seed; tie it to the object's own name.
foreach(lang C CXX)
  set(CMAKE_${lang}_COMPILE_OBJECT "${CMAKE_${lang}_COMPILE_OBJECT} -frandom-seed=<OBJECT>")
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
add_link_options(-Wl,--no-insert-timestamp)
