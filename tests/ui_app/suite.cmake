# The main window in-process on the real web view (the program's pages, its version record
# and the wx helper of the widgets suite), and the real program (/uninstall, a run in a
# fresh home whose identities the mail-client stand-in makes) driven with typed input, so
# nothing else runs beside it.
veilbox_add_resources(test_ui_app)
veilbox_add_version_record(test_ui_app)
target_include_directories(test_ui_app PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui_widgets)
add_dependencies(test_ui_app veilbox msimn)
set(suite_run_alone ON)
