# One wx application per test program: the fixture of the widgets suite. The world of
# the dialog rules (private registry, home and auth.dat) and the registry tree helpers
# serve here too.
target_sources(test_${suite} PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/ui_widgets/WxTestSupport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog_rules/DialogWorld.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/identities/RegistryTree.cpp)
target_include_directories(test_${suite} PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/ui_widgets
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog_rules
  ${CMAKE_CURRENT_SOURCE_DIR}/identities)
# The buttons' icons, the cursor and the help page come from the embedded resources.
veilbox_add_resources(test_${suite})
