# The main window runs in-process on the real web view: it needs the program's pages,
# its version record and the wx helper of the widgets suite; /uninstall runs on the
# real program.
veilbox_add_resources(test_ui_app)
veilbox_add_version_record(test_ui_app)
target_include_directories(test_ui_app PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui_widgets)
add_dependencies(test_ui_app veilbox)

# One of its tests drives the real program with typed input: nothing else runs beside it.
set(suite_run_alone ON)
