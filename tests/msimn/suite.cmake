# The suite runs the built stand-in as a child process.
add_dependencies(test_${suite} msimn)
target_compile_definitions(test_${suite} PRIVATE MSIMN_PATH="$<TARGET_FILE:msimn>")
target_link_libraries(test_${suite} PRIVATE ${X11_LIBRARIES})
target_include_directories(test_${suite} PRIVATE ${X11_INCLUDE_DIR})
# `run` opens the client's window: keep it off the screen while UI tests click theirs.
set(suite_uses_display ON)
