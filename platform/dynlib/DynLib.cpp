#include "platform/dynlib/DynLib.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace platform {

void* OpenLibraryOrExit(const char* what, std::initializer_list<const char*> files)
{
    std::string reasons;
    for (const char* file : files) {
        // Global, so that a library loaded later (a GL driver, a codec) finds these symbols.
        if (void* lib = ::dlopen(file, RTLD_NOW | RTLD_GLOBAL))
            return lib;
        const char* why = ::dlerror();
        reasons += std::string("\n  ") + (why ? why : file);
    }
    std::fprintf(stderr, "The %s library cannot be loaded; it must be installed:%s\n", what, reasons.c_str());
    std::exit(1);
}

void* LibrarySymbolOrExit(const char* what, std::initializer_list<void*> libs, const char* name)
{
    for (void* lib : libs)
        if (void* symbol = ::dlsym(lib, name))
            return symbol;
    std::fprintf(stderr, "The installed %s library is too old: it has no %s\n", what, name);
    std::exit(1);
}

} // namespace platform
