#pragma once

// The run's boxes; each platform draws them in its own way.

#include <cstdint>

enum class BoxKind {
    Question,      // send the report? Yes or No
    SentQuestion,  // was it sent? Yes or No; only after a mail program was started
    LoadFailure,   // no mail library or program: OK, error icon
    SendFailure,   // the mail client did not take the report: OK, warning icon
    Unasked,       // Linux: nothing could show the question; said in one line where a line can be read
};

constexpr bool IsQuestion(BoxKind kind) {
    return kind == BoxKind::Question || kind == BoxKind::SentQuestion;
}

// Where a box was shown, and so where its question was answered.
enum class ShownIn : std::uint8_t {
    Nowhere,
    Window,
    Terminal,  // the terminal the sender was started from, or for a failure standard error
};

struct BoxOutcome {
    ShownIn shownIn = ShownIn::Nowhere;
    bool yes = false;  // only a question answered Yes
};

// Shows `text` under the product's caption and waits until the box is closed.
BoxOutcome ShowMessageBox(BoxKind kind, const char* text);
