#pragma once

#include <windows.h>

// Loads a DLL of the system's from the system directory only, never from
// beside the executable or the working directory, which the user and
// anything the user runs can write to. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName);

// A function of a loaded library, typed as its declaration says, so the
// compiler checks the calls: GetSystemFunction<decltype(&MessageBoxA)>(user32,
// "MessageBoxA"). Null when the library has no such function. The one place
// where a looked-up address is cast.
template <typename Function>
Function GetSystemFunction(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
