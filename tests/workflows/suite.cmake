# The registry tree helpers of the identities suite serve here too.
target_sources(test_workflows PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities/RegistryTree.cpp)
target_include_directories(test_workflows PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities)
# The page commands look for the mail client's window on the display, and one test
# puts it there: no other suite's windows may come and go meanwhile.
set(suite_uses_display ON)
