#include <gtest/gtest.h>

#include <string>

#include "common/escaped_text.h"
#include "sender/zenity_messages.h"

namespace {

std::string Escape(std::string_view text, bool utf8) {
    std::string out(4 * text.size(), '#');
    out.resize(EscapeDialogText(text, utf8, out));
    return out;
}

TEST(DialogText, EscapesWhatTheLocaleCannotRead) {
    const struct {
        const char* text;
        const char* utf8;
        const char* ascii;
    } rows[] = {
        {"plain C:\\path\\", "plain C:\\path\\", "plain C:\\path\\"},
        {"J\xC3\xB6rg \xE2\x82\xAC \xF0\x9F\x98\x80", "J\xC3\xB6rg \xE2\x82\xAC \xF0\x9F\x98\x80",
         "J\\xc3\\xb6rg \\xe2\\x82\\xac \\xf0\\x9f\\x98\\x80"},
        {"latin-1 \xFF\xE9", "latin-1 \\xff\\xe9", "latin-1 \\xff\\xe9"},
        {"overlong \xC0\xAF \xE0\x80\xAF \xF0\x80\x80\xAF", "overlong \\xc0\\xaf \\xe0\\x80\\xaf \\xf0\\x80\\x80\\xaf", nullptr},
        {"surrogate \xED\xA0\x80", "surrogate \\xed\\xa0\\x80", nullptr},
        {"beyond U+10FFFF \xF4\x90\x80\x80", "beyond U+10FFFF \\xf4\\x90\\x80\\x80", nullptr},
        {"cut short \xE2\x82", "cut short \\xe2\\x82", nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Escape(row.text, true), row.utf8) << row.text;
        if (row.ascii) {
            EXPECT_EQ(Escape(row.text, false), row.ascii) << row.text;
        }
    }
    const std::string worst(MaxBoxTextLength, '\xFF');
    EXPECT_EQ(Escape(worst, true).size(), MaxDialogTextLength);

}

TEST(DialogText, KnowsZenitysCannotOpenDisplay) {
    EXPECT_TRUE(IsCannotOpenDisplayLine("(zenity:4242): Gtk-WARNING **: 10:31:07.512: cannot open display: :0"));
    EXPECT_TRUE(IsCannotOpenDisplayLine("(zenity:17): Gtk-WARNING **: cannot open display: host:10.0"));
    EXPECT_TRUE(IsCannotOpenDisplayLine("(zenity:945): Gtk-WARNING **: 22:51:07.950: Failed to open display"));
    EXPECT_TRUE(IsCannotOpenDisplayLine("(zenity:945): Gtk-WARNING **: Failed to open display"));
    EXPECT_FALSE(IsCannotOpenDisplayLine("(zenity:4242): Gtk-WARNING **: 10:31:07.512: Locale not supported"));
    EXPECT_FALSE(IsCannotOpenDisplayLine("(kdialog:1): Gtk-WARNING **: cannot open display: :0"));
    EXPECT_FALSE(IsCannotOpenDisplayLine("cannot open display: :0"));
}

}  // namespace
