#pragma once

#include <windows.h>

// Loads a DLL of the system's from the system directory only, never from
// beside the executable or the working directory, which the user and
// anything the user runs can write to. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName);
