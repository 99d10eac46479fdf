# The damaged-file cases once more with glib warnings made fatal: libgsf warns about
# damaged files, and that must still end in a failure status, not an abort.
add_test(NAME storage.DamageWithFatalWarnings
  COMMAND test_storage --gtest_filter=CompoundFileDamage.*)
set_tests_properties(storage.DamageWithFatalWarnings PROPERTIES
  ENVIRONMENT "G_DEBUG=fatal-warnings,fatal-criticals;VEILBOX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
