# The registry tree helpers of the identities suite serve here too.
target_sources(test_workflows PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities/RegistryTree.cpp)
target_include_directories(test_workflows PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities)
