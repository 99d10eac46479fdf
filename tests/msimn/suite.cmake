# The stand-in runs as a child process.
add_dependencies(test_${suite} msimn)
target_compile_definitions(test_${suite} PRIVATE MSIMN_PATH="$<TARGET_FILE:msimn>")
