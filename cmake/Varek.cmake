# Helpers shared by every folder of the build.

# varek_add_subdirs(DIR...): add each folder that has a CMakeLists.txt.
function(varek_add_subdirs)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# varek_add_all_subdirs(): add every direct sub-folder that has a CMakeLists.txt.
function(varek_add_all_subdirs)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# varek_library(NAME DIRS <folders> [FILES <files>] [DEPS <targets>])
# A library of every .cpp/.c file in the given folders (relative to the source
# root): static, or shared where VAREK_SHARED_LIBS asks for it. Everything
# includes headers by their path from the source root.
function(varek_library name)
  cmake_parse_arguments(A "" "" "DIRS;FILES;DEPS" ${ARGN})
  set(srcs ${A_FILES})
  foreach(d ${A_DIRS})
    file(GLOB s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${d}/*.cpp ${CMAKE_SOURCE_DIR}/${d}/*.c)
    list(APPEND srcs ${s})
  endforeach()
  if(srcs)
    add_library(${name} ${VAREK_LIBRARY_TYPE} ${srcs})
    if(VAREK_SANITIZE)
      target_compile_options(${name} PRIVATE -O1)
    endif()
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# Every test program shares one main (tests/support), which sets the environment
# the tests run in: no person at the screen, no sound card, sanitizer options.
if(VAREK_TESTS AND NOT TARGET varek_test_main)
  add_library(varek_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/VarekTestMain.cpp)
  target_link_libraries(varek_test_main PUBLIC GTest::gtest GTest::gmock)
endif()

# Test programs that switch the shared virtual display to full screen: two
# mode switches at once on one X screen can fail, so they never run together.
# The scripted-input run places the pointer in window coordinates, which a switch
# on the same screen moves: it holds the same lock.
set(VAREK_DISPLAY_MODE_TESTS
  app_ScriptedInput_test
  render_DirectX_test
  render_FullScreenMouse_test
  platform_d3d_surface_test
  app_MainWindow_test
  render_overlays_test)

# Test programs whose code runs on more than one thread: they carry the label
# "thread", and the target varek_thread_tests builds just them (the
# ThreadSanitizer run of scripts/test.sh).
set(VAREK_THREAD_TESTS
  platform_time_test
  platform_sound_test
  platform_cdaudio_test
  app_SoundManager_test
  editor_ShadowMapRun_test)
# The slowest test programs (whole-program runs of the sample installation and
# the floor-plan checks): their tests start first, so that a ctest run does not
# end waiting on one of them while the other cores are idle.
set(VAREK_LONG_TESTS
  sample_run_test
  sample_editor_run_test
  sample_content_test
  sample_large_town_test
  scripts_FloorPlan_test)

if(VAREK_TESTS AND NOT TARGET varek_thread_tests)
  add_custom_target(varek_thread_tests)
endif()

# varek_test(NAME SOURCES <files> [DEPS <targets>] [LABELS <l>])
# A test that needs more environment sets it itself (setenv) before using it.
function(varek_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} varek_test_main)
  set(props)
  set(labels ${A_LABELS})
  if(name IN_LIST VAREK_THREAD_TESTS)
    # One label only: the discovered tests' properties are a flat list, so a second label would be
    # read as a property name and the ThreadSanitizer step would find no test.
    set(labels thread)
    add_dependencies(varek_thread_tests ${name})
  endif()
  if(labels)
    list(APPEND props LABELS "${labels}")
  endif()
  if(name IN_LIST VAREK_DISPLAY_MODE_TESTS)
    list(APPEND props RESOURCE_LOCK display_mode)
  endif()
  if(name IN_LIST VAREK_LONG_TESTS)
    list(APPEND props COST 1000)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${props}
    DISCOVERY_TIMEOUT 60)
  # The discovery passes on only the first of several labels; the discovered tests get all
  # of them here, after they are listed.
  list(LENGTH labels label_count)
  if(label_count GREATER 1)
    set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
    file(WRITE ${labels_file} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
  endif()
endfunction()

# varek_bench(NAME SOURCES <files> [DEPS <targets>]): a Google Benchmark program (not run by CI).
function(varek_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark)
endfunction()

# varek_fuzz(NAME SOURCES <files> [DEPS <targets>]): a libFuzzer target.
# Its seed inputs live in fuzz/corpus/<NAME>/ when that folder exists.
function(varek_fuzz name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_all ${name})
endfunction()

# varek_tests_per_file(PREFIX DEPS <targets> [LABELS ...]): one test program per
# *_test.cpp file in the current folder, named <PREFIX>_<file stem>. Several
# people can add test files to one folder without touching its CMakeLists.txt.
function(varek_tests_per_file prefix)
  cmake_parse_arguments(A "" "" "DEPS;LABELS" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(f ${files})
    get_filename_component(stem ${f} NAME_WE)
    varek_test(${prefix}_${stem} SOURCES ${f} DEPS ${A_DEPS} LABELS ${A_LABELS})
  endforeach()
endfunction()

# varek_headers_of(TARGET LIB...): TARGET compiles against LIB's headers without
# linking it; platform/dynlib opens the library when it is first used.
function(varek_headers_of target)
  foreach(lib ${ARGN})
    target_include_directories(${target} PUBLIC $<TARGET_PROPERTY:${lib},INTERFACE_INCLUDE_DIRECTORIES>)
    target_compile_definitions(${target} PUBLIC $<TARGET_PROPERTY:${lib},INTERFACE_COMPILE_DEFINITIONS>)
  endforeach()
endfunction()
