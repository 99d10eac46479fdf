# The wx helper of the widgets suite; the icons, the cursor and the help page come from
# the embedded resources.
target_include_directories(test_${suite} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui_widgets)
veilbox_add_resources(test_${suite})
