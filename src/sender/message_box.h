#pragma once

// The run's three boxes; each platform draws them in its own way.

inline constexpr char ProductCaption[] = "Yorv";

enum class BoxKind {
    Question,     // Yes or No
    LoadFailure,  // no mail library or program: OK, error icon
    SendFailure,  // the mail client did not take the report: OK, warning icon
};

// Shows `text` with the caption "Yorv" and waits until the box is closed.
// True only when the question was answered Yes.
bool ShowMessageBox(BoxKind kind, const char* text);
