# The window search talks to the X server directly.
target_link_libraries(test_shell PRIVATE ${X11_LIBRARIES})
target_include_directories(test_shell PRIVATE ${X11_INCLUDE_DIR})
