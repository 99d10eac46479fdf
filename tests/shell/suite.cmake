# The suite reads the version records of itself and of small fixture programs, embeds a
# small resource folder of its own and talks to the X server directly to make windows
# for the window search.
veilbox_add_version_record(test_shell)
veilbox_add_resources(test_shell DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/shell/resources)
target_link_libraries(test_shell PRIVATE ${X11_LIBRARIES})
target_include_directories(test_shell PRIVATE ${X11_INCLUDE_DIR})
foreach(version plain 2.0.0.384 2.0.3.384 1.5.0.10 1.5.0.11)
  string(REPLACE "." "_" id "${version}")
  if(version STREQUAL "plain")
    veilbox_add_version_fixture(shell_fixture_${id})
  else()
    veilbox_add_version_fixture(shell_fixture_${id} VERSION ${version})
  endif()
  add_dependencies(test_shell shell_fixture_${id})
  target_compile_definitions(test_shell PRIVATE FIXTURE_${id}="$<TARGET_FILE:shell_fixture_${id}>")
endforeach()
target_compile_definitions(test_shell PRIVATE
  PROJECT_VERSION_TEXT="${PROJECT_VERSION}"
  PROJECT_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} PROJECT_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  PROJECT_VERSION_PATCH=${PROJECT_VERSION_PATCH} PROJECT_VERSION_TWEAK=${PROJECT_VERSION_TWEAK})
