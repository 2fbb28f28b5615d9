# Extra link dependencies of the game libraries.
target_link_libraries(rulo2_app PUBLIC platform_win platform_files platform_crt rulo2_interface)
target_link_libraries(rulo2_app PUBLIC platform_time)
target_link_libraries(rulo2_render PUBLIC platform_d3d platform_win platform_files rulo2_interface)
target_link_libraries(rulo2_world PUBLIC platform_files)
