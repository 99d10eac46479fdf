# The crash suite drives the real veilbox-cli and compares registry trees with the
# helpers of the identities suite.
add_dependencies(test_crash veilbox-cli)
target_compile_definitions(test_crash PRIVATE VEILBOX_CLI_PATH="$<TARGET_FILE:veilbox-cli>")
target_sources(test_crash PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities/RegistryTree.cpp)
target_include_directories(test_crash PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities)
