# The suite reads its own version record, embeds a small resource folder of its own and
# talks to the X server directly to make windows for the window search.
veilbox_add_version_record(test_shell)
veilbox_add_version_fixture(shell_fixture_plain)
veilbox_add_version_fixture(shell_fixture_versioned VERSION 3.1.4.159)
add_dependencies(test_shell shell_fixture_plain shell_fixture_versioned)
veilbox_add_resources(test_shell DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/shell/resources)
target_link_libraries(test_shell PRIVATE ${X11_LIBRARIES})
target_include_directories(test_shell PRIVATE ${X11_INCLUDE_DIR})
target_compile_definitions(test_shell PRIVATE
  FIXTURE_PLAIN="$<TARGET_FILE:shell_fixture_plain>"
  FIXTURE_VERSIONED="$<TARGET_FILE:shell_fixture_versioned>"
  PROJECT_VERSION_TEXT="${PROJECT_VERSION}"
  PROJECT_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} PROJECT_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  PROJECT_VERSION_PATCH=${PROJECT_VERSION_PATCH} PROJECT_VERSION_TWEAK=${PROJECT_VERSION_TWEAK})
