# The end-to-end run needs the real program and the mail-client stand-in built.
add_dependencies(test_e2e veilbox msimn)
target_compile_definitions(test_e2e PRIVATE E2E_HELPERS="${CMAKE_CURRENT_SOURCE_DIR}/e2e/xdo-helpers.sh")
# It drives windows on the shared display.
set(suite_uses_display ON)

# Typed and clicked input with waits: nothing else runs beside it.
set(suite_run_alone ON)
