# Handle owners, registry helpers, final paths, recursive deletion, work confined below a folder and how programs
# are started: the bottom layer, no windows.
kelto_layer(base WIN registry.cpp delete_tree.cpp final_path.cpp confined_folder.cpp system_library.cpp admin_only.cpp
            process_start.cpp)
list(APPEND WIN_TESTS
  ${CMAKE_SOURCE_DIR}/tests/win/registry_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/delete_tree_test.cpp)
