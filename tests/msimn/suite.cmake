# The stand-in runs as a child process; the registry tree helpers of the identities suite
# read what it wrote; `run` opens the client's window, so the suite takes the display.
target_sources(test_${suite} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities/RegistryTree.cpp)
target_include_directories(test_${suite} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities)
add_dependencies(test_${suite} msimn)
target_compile_definitions(test_${suite} PRIVATE MSIMN_PATH="$<TARGET_FILE:msimn>")
set(suite_uses_display ON)
