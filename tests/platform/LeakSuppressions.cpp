// Leaks inside the system libraries that window tests cannot avoid (X, D-Bus, SDL
// start-up, GL drivers). Built into the test programs so that they hold however the
// program is started.
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
           "leak:libfontconfig\n";
}
