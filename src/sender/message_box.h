#pragma once

// The run's boxes; each platform draws them in its own way.

enum class BoxKind {
    Question,      // send the report? Yes or No
    SentQuestion,  // was it sent? Yes or No; only after a mail program was started
    LoadFailure,   // no mail library or program: OK, error icon
    SendFailure,   // the mail client did not take the report: OK, warning icon
};

constexpr bool IsQuestion(BoxKind kind) {
    return kind == BoxKind::Question || kind == BoxKind::SentQuestion;
}

// Shows `text` under the product's caption and waits until the box is
// closed. True only when a question was answered Yes.
bool ShowMessageBox(BoxKind kind, const char* text);
