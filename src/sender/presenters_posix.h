#pragma once

// The ways of showing a box on Linux, which ShowMessageBox tries in turn: the
// desktop's dialog program, then the terminal the sender was started from.

#include "posix/program.h"
#include "posix/terminal.h"
#include "sender/message_box.h"

// What one way of showing a box made of it.
enum class Presented {
    NotShown,  // this way could not show it: the next one tries
    Yes,       // the question was answered Yes
    Closed,    // answered No, closed, or a failure box was shown and closed
};

// A dialog program's end as an answer: 0 is Yes, up to `lastAnswer` No or
// closed. Any other end says that no box was shown.
Presented AsAnswer(const ProgramEnd& end, int lastAnswer);

// The box in zenity, else in kdialog, when a desktop can be reached.
Presented ShowOnDesktop(BoxKind kind, const char* text);

// A question on the terminal on standard input and standard error; never a failure.
Presented AskOnTerminal(BoxKind kind, const char* text);

// Shows `text` and the prompt on `out` and reads the answer on the terminal
// `in`, set for the question and given back as it was found.
Presented PromptOnTerminal(int in, int out, const char* text);

// The answer typed on `fd`: the first character of its line that is not
// blank, y or Y for Yes. The rest of the line is read and dropped, a byte at a
// time, so that it cannot answer the next question. A descriptor that does
// not block is waited on until something is typed.
Presented ReadTerminalAnswer(int fd);
