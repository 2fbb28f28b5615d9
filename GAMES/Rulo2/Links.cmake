# Extra link dependencies of the game libraries.
target_link_libraries(rulo2_app PUBLIC platform_win platform_files platform_crt rulo2_interface)
target_link_libraries(rulo2_app PUBLIC platform_time)
target_link_libraries(rulo2_render PUBLIC platform_d3d platform_win platform_files platform_resources rulo2_interface)
target_link_libraries(rulo2_world PUBLIC platform_files)
target_link_libraries(rulo2_world PUBLIC rulo2_behaviour rulo2_navigation rulo2_editor platform_win)
target_link_libraries(rulo2_app PUBLIC platform_input rulo2_render)
# The game program.
add_executable(Varek ${RULO2}/program/VarekMain.cpp)
target_link_libraries(Varek PRIVATE rulo2_app rulo2_world rulo2_render rulo2_behaviour rulo2_navigation
  rulo2_interface rulo2_editor)
target_link_libraries(rulo2_world PUBLIC rulo2_render)
target_link_libraries(rulo2_render PUBLIC platform_resources)
target_link_libraries(rulo2_navigation PUBLIC platform_gdi)
# The game libraries form one cycle; a program that uses only part of it needs
# the cycle repeated often enough for every object pulled in late.
set_property(TARGET rulo2_app rulo2_world rulo2_render rulo2_behaviour rulo2_navigation rulo2_interface
  rulo2_editor PROPERTY LINK_INTERFACE_MULTIPLICITY 4)
