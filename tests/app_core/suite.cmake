# The suite reads its own version record and those of small fixture programs.
veilbox_add_version_record(test_app_core)
set(_fixture_versions 2.0.0.384 2.0.3.384 1.5.0.10 1.5.0.11)
foreach(version ${_fixture_versions})
  string(REPLACE "." "_" id "${version}")
  veilbox_add_version_fixture(app_core_fixture_${id} VERSION ${version})
  add_dependencies(test_app_core app_core_fixture_${id})
  target_compile_definitions(test_app_core PRIVATE
    FIXTURE_${id}="$<TARGET_FILE:app_core_fixture_${id}>")
endforeach()
veilbox_add_version_fixture(app_core_fixture_plain)
add_dependencies(test_app_core app_core_fixture_plain)
target_compile_definitions(test_app_core PRIVATE
  FIXTURE_PLAIN="$<TARGET_FILE:app_core_fixture_plain>"
  PROJECT_BUILD_NUMBER=${PROJECT_VERSION_TWEAK})
