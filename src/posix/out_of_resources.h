#pragma once

#include <cerrno>

// True for a refusal that says nothing about what was opened: the process or
// the system is out of descriptors or memory for now.
inline bool OutOfResources(int error) {
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}
