# The registry tree helpers of the identities suite build the mail client's identities.
target_sources(test_${suite} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities/RegistryTree.cpp)
target_include_directories(test_${suite} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/identities)
