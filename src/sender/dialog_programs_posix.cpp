#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/bounded_text.h"
#include "common/escaped_text.h"
#include "common/texts.h"
#include "posix/file_records.h"
#include "posix/unique_fd.h"
#include "sender/desktop_reach.h"
#include "sender/dialog_locale.h"
#include "sender/zenity_messages.h"
#include "sender/presenters_posix.h"

// zenity and kdialog: how each is asked to show a box, and what its end says.

namespace {

// zenity's option for the text, and the box's text, escaped to what the
// dialog's locale can read: zenity refuses the whole text for one byte that
// is not valid UTF-8. kdialog takes the text alone.
constexpr std::string_view ZenityTextOption = "--text=";
struct DialogArgument {
    std::array<char, ZenityTextOption.size() + MaxDialogTextLength + 1> buffer;
    const char* WithOption() const { return buffer.data(); }
    const char* Text() const { return buffer.data() + ZenityTextOption.size(); }
};

void PrepareText(DialogArgument& argument, const char* text) {
    BoundedText(argument.buffer).Append(ZenityTextOption);
    const std::string_view plain(text, strnlen(text, MaxBoxTextLength));
    const bool utf8 = DialogLocaleIsUtf8();
    const auto room = std::span(argument.buffer).subspan(ZenityTextOption.size());
    room[EscapeDialogText(plain, utf8, room)] = '\0';
}

// True when zenity's standard error, kept in `output`, says it could not open
// the display: it then exits 1, as for No. GTK says so while it starts, after
// at most a few warnings, so the first lines are enough.
bool ZenityCouldNotOpenDisplay(int output) {
    return AnyRecordOf(output, 0, 4096, '\n', IsCannotOpenDisplayLine);
}

// Each program's option for a kind of box. Chosen in code, not from a table
// of pointers, each of which a static PIE relocates at every start.
const char* DialogOption(BoxKind kind, const char* question, const char* error, const char* warning) {
    return IsQuestion(kind) ? question : kind == BoxKind::LoadFailure ? error : warning;
}

Presented RunZenity(const ProgramPath& zenity, BoxKind kind, const char* text) {
    DialogArgument argument;
    PrepareText(argument, text);
    std::array<char, 16> title;
    BoundedText(title).Append("--title=").Append(ProductCaption);
    const char* const argv[] = {"zenity", DialogOption(kind, "--question", "--error", "--warning"), title.data(),
                                "--no-markup", argument.WithOption(), nullptr};
    const UniqueFd output(memfd_create("zenity-stderr", MFD_CLOEXEC));
    const ProgramEnd end =
        RunProgram(zenity, argv, ChildRole::Dialog, {.error = output ? output.Get() : TerminalOrNowhere});
    // zenity says 1 for No, for a closed box, and when it could not open the display.
    if (ExitedWith(end, 1) && output && ZenityCouldNotOpenDisplay(output.Get()))
        return Presented::NotShown;
    return AsAnswer(end, 1);
}

Presented RunKdialog(const ProgramPath& kdialog, BoxKind kind, const char* text) {
    // kdialog has no --no-markup, but Qt reads a text as rich only when a tag
    // stands before its first line break, and every first line here is fixed.
    DialogArgument argument;
    PrepareText(argument, text);
    const char* const argv[] = {"kdialog", "--title", ProductCaption, DialogOption(kind, "--yesno", "--error", "--sorry"),
                                argument.Text(), nullptr};
    // 1 is No; 2 is Escape or the window's close button.
    return AsAnswer(RunProgram(kdialog, argv, ChildRole::Dialog), 2);
}

}  // namespace

Presented AsAnswer(const ProgramEnd& end, int lastAnswer) {
    if (!end.exited || end.exitStatus > lastAnswer)
        return Presented::NotShown;
    return end.exitStatus == 0 ? Presented::Yes : Presented::Closed;
}

namespace {

// The dialog program that shows the boxes: only where a desktop can be
// reached, the first of zenity and kdialog found, and it alone is tried.
enum class DialogProgram { None, Zenity, Kdialog };

DialogProgram FindDialogProgram(ProgramPath& program) {
    if (!DesktopReachable())
        return DialogProgram::None;
    if (FindProgramOnPath("zenity", program))
        return DialogProgram::Zenity;
    return FindProgramOnPath("kdialog", program) ? DialogProgram::Kdialog : DialogProgram::None;
}

}  // namespace

// A crash or any status that is not an answer (zenity's 255, a display that
// went away) means that no box was shown.
Presented ShowOnDesktop(BoxKind kind, const char* text) {
    ProgramPath program;
    switch (FindDialogProgram(program)) {
    case DialogProgram::Zenity:
        return RunZenity(program, kind, text);
    case DialogProgram::Kdialog:
        return RunKdialog(program, kind, text);
    default:
        return Presented::NotShown;
    }
}
