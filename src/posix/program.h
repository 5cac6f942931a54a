#pragma once

#include <string>

// Finds an executable `name` on PATH and stores its full path in `found`.
bool FindProgramOnPath(const char* name, std::string& found);

// Starts `program` with `argv` (no shell involved) and waits for it. Returns
// its wait status, or -1 when it could not be started.
int RunProgram(const std::string& program, const char* const argv[]);

// True when the wait status says the program exited with `code`.
bool ExitedWith(int waitStatus, int code);
