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

// Where a started program's standard output and error go: a descriptor of
// the sender's; or, by default, the sender's own where that is a terminal (a
// mail program may run on it), else nowhere, so that a launcher that reads
// the sender's output to its end is not kept waiting by a mail program that
// outlives the sender; or nowhere at all.
inline constexpr int TerminalOrNowhere = -1, Nowhere = -2;
struct ProgramOutput {
    int output = TerminalOrNowhere;
    int error = TerminalOrNowhere;
};

// Starts `program` with `argv` (no shell involved) and default signal
// handling, and waits for it: until it ends, or for `patience` when that is
// not zero, after which it runs on by itself.
ProgramEnd RunProgram(const ProgramPath& program, const char* const argv[], ChildRole role, ProgramOutput output = {},
                      std::chrono::milliseconds patience = {});

// True when the program exited with `status`.
bool ExitedWith(const ProgramEnd& end, int status);
