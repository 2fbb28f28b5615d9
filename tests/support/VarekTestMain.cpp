// The main of every test program: the environment the tests need is set here,
// so a test behaves the same under ctest, in a debugger or run by hand.
#include <gtest/gtest.h>

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#endif

// Leaks inside system libraries that window, GL and sound tests cannot avoid.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus\n"
           "leak:libX11\n"
           "leak:libxcb\n"
           "leak:libSDL2\n"
           "leak:libGLX\n"
           "leak:libGL.so\n"
           "leak:libEGL\n"
           "leak:libdrm\n"
           "leak:_dri.so\n"
           "leak:libLLVM\n"
           "leak:libfontconfig\n"
           "leak:libopenal\n"
           "leak:libglapi\n"
           "leak:libgallium\n";
}

// OpenAL Soft is not built for ThreadSanitizer: its mixer thread takes the updates the main thread
// hands it through atomics the sanitizer cannot see, so its own copies look like races.
extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libopenal.so\n";
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

#if defined(__SANITIZE_ADDRESS__)
// The GL driver is unloaded when the last context goes; its leaks are then
// reported from an unknown module that no suppression can name. Keeping the
// driver loaded until exit lets the suppressions above match them.
static void KeepGraphicsDriversLoaded()
{
    for (const char* lib :
         {"libGLX_mesa.so.0", "libEGL_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
          "/usr/lib/x86_64-linux-gnu/dri/kms_swrast_dri.so"})
        dlopen(lib, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}
#endif

int main(int argc, char** argv)
{
#if defined(__SANITIZE_ADDRESS__)
    KeepGraphicsDriversLoaded();
#endif
    // Nobody at the screen, no sound card: message boxes answer by themselves.
    setenv("VAREK_NONINTERACTIVE", "1", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
