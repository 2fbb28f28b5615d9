#pragma once
// Usage scans over the texture and texture-page lists: every element's used
// flag is cleared first, then the scan marks what it finds in use.

// Clears the used flag of `first` and of every element after it.
template <class T>
void ClearUsedFlags(T* first)
{
    for (T* element = first; element; element = element->next)
        element->used = false;
}
