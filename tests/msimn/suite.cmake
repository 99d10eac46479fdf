# The stand-in runs as a child process; `run` opens the client's window, so the suite
# takes the display.
add_dependencies(test_${suite} msimn)
target_compile_definitions(test_${suite} PRIVATE MSIMN_PATH="$<TARGET_FILE:msimn>")
set(suite_uses_display ON)
