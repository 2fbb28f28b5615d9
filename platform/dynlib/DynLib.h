#pragma once
// Shared libraries opened on first use. A program that never opens a window,
// plays a sound, shows a movie or reads a TIFF file starts without loading any
// of those libraries (and the dozens they pull in).
//
// Each library's functions form one table: a header lists the functions the
// code calls, declares the table with VAREK_DYN_TABLE and then maps each name
// onto the table, so the calling code keeps the library's own names. The table
// is filled the first time any of its functions is called.

#include <initializer_list>

namespace platform {

// The library under the first of `files` that loads, its symbols resolved at
// once. A library that cannot be loaded ends the program with a message that
// names it: nothing could stand in for it.
void* OpenLibraryOrExit(const char* what, std::initializer_list<const char*> files);
// One function of a library opened above (`libs` are searched in order); a
// missing one ends the program with a message, as a missing library does.
void* LibrarySymbolOrExit(const char* what, std::initializer_list<void*> libs, const char* name);

} // namespace platform

#define VAREK_DYN_MEMBER(f) decltype(&::f) f = nullptr;
#define VAREK_DYN_FILL(f)                                                                                    \
    t.f = reinterpret_cast<decltype(t.f)>(platform::LibrarySymbolOrExit(what, libs, #f));

// struct NAME with one member per function of LIST and NAME::Get(), which fills
// the table on first use through NAME::Load() (written beside the list's .cpp
// with VAREK_DYN_LOAD).
#define VAREK_DYN_TABLE(NAME, LIST)                                                                          \
    struct NAME                                                                                              \
    {                                                                                                        \
        LIST(VAREK_DYN_MEMBER)                                                                               \
        static NAME Load();                                                                                  \
        static const NAME& Get()                                                                             \
        {                                                                                                    \
            static const NAME table = Load();                                                                \
            return table;                                                                                    \
        }                                                                                                    \
    };

// NAME::Load(): every function of LIST from the libraries opened by OPEN (an
// expression giving an initializer list of library handles); WHAT names them in
// messages. The including .cpp defines the header's no-mapping switch first, so
// that LIST's names stay the library's own here.
#define VAREK_DYN_LOAD(NAME, LIST, WHAT, ...)                                                                \
    NAME NAME::Load()                                                                                        \
    {                                                                                                        \
        const char* what = WHAT;                                                                             \
        const std::initializer_list<void*> libs = {__VA_ARGS__};                                             \
        NAME t;                                                                                              \
        LIST(VAREK_DYN_FILL)                                                                                 \
        return t;                                                                                            \
    }
