# The second process of the sharing tests, built from the same platform library.
add_executable(registry_peer ${CMAKE_CURRENT_LIST_DIR}/peer/RegistryPeer.cpp)
target_link_libraries(registry_peer PRIVATE platform)
add_dependencies(test_registry registry_peer)
target_compile_definitions(test_registry PRIVATE REGISTRY_PEER="$<TARGET_FILE:registry_peer>")
