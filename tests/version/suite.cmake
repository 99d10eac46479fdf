# Small programs that carry version records, and the suite's own record.
veilbox_add_version_record(test_version)
foreach(version plain 2.0.0.384 2.0.3.384 1.5.0.10 1.5.0.11)
  string(REPLACE "." "_" id "${version}")
  if(version STREQUAL "plain")
    veilbox_add_version_fixture(version_fixture_${id})
  else()
    veilbox_add_version_fixture(version_fixture_${id} VERSION ${version})
  endif()
  add_dependencies(test_version version_fixture_${id})
endforeach()
target_compile_definitions(test_version PRIVATE PROJECT_VERSION_TWEAK=${PROJECT_VERSION_TWEAK}
                           FIXTURE_SUFFIX="${CMAKE_EXECUTABLE_SUFFIX}")
