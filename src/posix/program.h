#pragma once

#include <chrono>

#include "posix/program_path.h"

enum class ChildRole {
    Helper,  // runs on by itself if the sender is ended
    Dialog,  // ended with the sender: SIGTERM, SIGHUP or SIGINT end it first
};

// How a program that was run ended.
struct ProgramEnd {
    bool started = false;  // false: it could not be started at all
    bool running = false;  // still running when the wait for it ended
    bool exited = false;   // it exited, with `exitStatus`; else `signal` ended it
    int exitStatus = 0;
    int signal = 0;
};

// Starts `program` with `argv` (no shell involved) and default signal
// handling, and waits for it: until it ends, or for `patience` when that is
// not zero, after which it runs on by itself. `errorOutput`, unless -1,
// becomes its standard error.
ProgramEnd RunProgram(const ProgramPath& program, const char* const argv[], ChildRole role, int errorOutput = -1,
                      std::chrono::milliseconds patience = {});

// True when the program exited with `status`.
bool ExitedWith(const ProgramEnd& end, int status);
