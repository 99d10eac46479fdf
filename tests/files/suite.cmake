# The damaged-file cases once more with glib warnings made fatal: no library warning
# on the way (libgsf writes the samples) may turn a failure status into an abort.
add_test(NAME files.CompoundFileDamageWithFatalWarnings COMMAND test_files --gtest_filter=CompoundFileDamage.*)
set_tests_properties(files.CompoundFileDamageWithFatalWarnings PROPERTIES
  ENVIRONMENT "G_DEBUG=fatal-warnings,fatal-criticals;VEILBOX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
