# The main window runs in-process on the real web view: it needs the program's pages,
# its version record, the wx test harness of the dialog suite and the private world
# of the shell suite.
veilbox_add_resources(test_ui_app)
veilbox_add_version_record(test_ui_app)
target_sources(test_ui_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/ui_widgets/WxTestSupport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/app_shell/ShellFixture.cpp)
target_include_directories(test_ui_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/ui_widgets ${CMAKE_CURRENT_SOURCE_DIR}/app_shell)
add_dependencies(test_ui_app veilbox msimn)

# Some of its tests drive the real program with typed input: nothing else runs beside them.
set(suite_run_alone ON)
