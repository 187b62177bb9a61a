# Handle owners, path and string helpers, registry helpers, final paths, recursive deletion, work confined below a
# folder, the program's folder and files read whole, and how programs are started: the bottom layer, no windows.
kelto_layer(base WIN registry.cpp delete_tree.cpp final_path.cpp confined_folder.cpp system_library.cpp admin_only.cpp
            process_start.cpp file_access.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/registry_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/delete_tree_test.cpp)
