# The real program and the mail-client stand-in, driven on the shared display with typed
# and clicked input and waits: nothing else runs beside it.
add_dependencies(test_e2e veilbox msimn)
target_compile_definitions(test_e2e PRIVATE E2E_HELPERS="${CMAKE_CURRENT_SOURCE_DIR}/e2e/xdo-helpers.sh")
set(suite_uses_display ON)
set(suite_run_alone ON)
