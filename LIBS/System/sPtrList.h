#pragma once
// A list of reference-counted object pointers on sList storage.
//
// The pointees are sMemory blocks (made with sMemory::newObject). Putting a
// pointer into the list adds a reference to its pointee; clearing or
// releasing the list drops those references, last slot first, and destroys
// the pointees no other owner holds. Null slots are allowed.

#include "LIBS/System/sList.h"

template <class T>
struct sListPtrOps
{
    static void copyConstruct(T** dst, T* const& src)
    {
        if (src)
            sMemory::addRefObject(src);
        *dst = src;
    }
    static void defaultConstruct(T** dst) { *dst = nullptr; }
    static void relocate(T** dst, T** src) { *dst = *src; }
    static void destroy(T** e)
    {
        T* p = *e;
        *e = nullptr;
        sMemory::releaseObject(p);
    }
    static constexpr const char* clearWarning =
        "PtrList cleared while referenced twice! Data may be corrupted.";
};

template <class T>
class sPtrList : public sListImpl<T*, sListPtrOps<T>>
{
public:
    using sListImpl<T*, sListPtrOps<T>>::sListImpl;
};
