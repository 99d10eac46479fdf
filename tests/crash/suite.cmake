# The crash suite drives the real veilbox-cli.
add_dependencies(test_crash veilbox-cli)
target_compile_definitions(test_crash PRIVATE VEILBOX_CLI_PATH="$<TARGET_FILE:veilbox-cli>")
