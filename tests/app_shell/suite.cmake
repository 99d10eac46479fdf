# The main page shows the version from the program file's own record and the panels
# from its embedded pages.
veilbox_add_version_record(test_app_shell)
veilbox_add_resources(test_app_shell)
target_compile_definitions(test_app_shell PRIVATE
  PROJECT_MAJOR=${PROJECT_VERSION_MAJOR} PROJECT_MINOR=${PROJECT_VERSION_MINOR}
  PROJECT_BUILD_NUMBER=${PROJECT_VERSION_TWEAK})
