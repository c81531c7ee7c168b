#pragma once
// Optional parts of a shared library ship as libraries of their own beside
// it, and are loaded from there, wherever the host found the library, only
// when needed: hosts without what a part needs still load the library.
#include <string>

namespace fnd {

// Whether the process has the library loaded already; loads nothing.
bool libraryLoaded(const char* soname);

// The path of fileName in the folder of the loaded object that holds
// anchor (the address of any function of it); empty when no object holds it.
std::string siblingPath(const void* anchor, const char* fileName);

// Loads that sibling (lazy binding, symbols kept local); null when it is
// missing or does not load.
void* openSibling(const void* anchor, const char* fileName);

// A function of a loaded library by name, as type T; null when absent.
void* librarySymbol(void* library, const char* name);
template <class T>
T* librarySymbol(void* library, const char* name) {
    return reinterpret_cast<T*>(librarySymbol(library, name));
}

}  // namespace fnd
