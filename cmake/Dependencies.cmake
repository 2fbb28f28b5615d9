# Third-party libraries, found once for the whole build.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(TIFF REQUIRED)
find_package(SDL2 CONFIG REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
find_package(litehtml CONFIG REQUIRED)
# A build of static libraries takes the page library's archive (same headers and
# flags as its shared form): the shared form loads and binds the shared C++
# run-time at every program start, varek-tool's short runs included.
set(VAREK_LITEHTML litehtml)
if(NOT VAREK_SHARED_LIBS AND TARGET litehtml-static)
  get_target_property(varek_litehtml_archive litehtml-static IMPORTED_LOCATION_NONE)
  if(varek_litehtml_archive AND EXISTS "${varek_litehtml_archive}")
    set(VAREK_LITEHTML "${varek_litehtml_archive}" gumbo)
  endif()
endif()
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
# Dear ImGui for the editor's windows and the launcher (static, SDL2 and OpenGL2 back ends inside).
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
find_package(OpenAL REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
# The sample movies and the tests' movies are made with the ffmpeg command.
find_program(VAREK_FFMPEG ffmpeg)
if(NOT VAREK_FFMPEG)
  message(FATAL_ERROR "The ffmpeg command is missing: it makes the sample movies and the test movies "
                      "(bash scripts/deps.sh installs it).")
endif()
if(VAREK_TESTS)
  find_package(GTest REQUIRED)
endif()
if(VAREK_BENCH)
  find_package(benchmark REQUIRED)
endif()
