# The registry tree helpers of the identities suite build and look up keys here too.
target_sources(test_${suite} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities/RegistryTree.cpp)
target_include_directories(test_${suite} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities)
