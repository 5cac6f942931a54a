#include "win/system_library.h"

#include "common/bounded_text.h"

HMODULE LoadSystemLibrary(const char* fileName) {
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel && GetSystemFunction<decltype(&AddDllDirectory)>(kernel, "AddDllDirectory"))
        return LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without that update Windows 7 refuses the flag: name the file in full,
    // so that its own imports are looked up beside it, not beside us.
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    BoundedText fullPath(path, length);
    if (fullPath.Append("\\").Append(fileName).Overflowed())
        return nullptr;
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
