#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "mail/mapi_error.h"
#include "mail/mapi_message.h"
#include "mail/send_mail.h"

namespace {

std::string Format(MapiResultCode code) {
    MapiErrorText text;
    text.fill('#');
    FormatMapiError(code, text);
    return text.data();
}

TEST(FormatMapiError, NamesTheCodesThatHaveNames) {
    const std::pair<MapiResultCode, const char*> rows[] = {
        {0, "0"},
        {1, "MAPI_E_USER_ABORT(1)"},
        {2, "MAPI_E_FAILURE(2)"},
        {7, "7"},
        {11, "MAPI_E_ATTACHMENT_NOT_FOUND(11)"},
        {13, "MAPI_E_ATTACHMENT_WRITE_FAILURE(13)"},
        {27, "MAPI_E_UNICODE_NOT_SUPPORTED(27)"},
        {28, "28"},
        {0x80000000, "-2147483648"},
        {0xFFFFFFFF, "-1"},
    };
    for (const auto& [code, text] : rows)
        EXPECT_EQ(Format(code), text) << code;
    for (MapiResultCode code = 0; code <= 28; ++code) {
        const std::string text = Format(code);
        EXPECT_LE(text.size(), 35u) << code;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "(%u)", code);
        EXPECT_EQ(text.ends_with(suffix), code != 0 && code != 7 && code != 28) << code;
    }
}

TEST(ReportMessage, FillsOnlyTheRecordsFields) {
    DumpPath dumpPath{};
    std::strcpy(dumpPath.data(), "/tmp/yorv_crash_dump.txt");
    ReportMessageRecords records;
    std::memset(&records, 0xA5, sizeof records);
    FillReportMessage(records, dumpPath);

    const MapiRecipDesc recipient{.ulRecipClass = MAPI_TO, .lpszName = records.recipient.lpszName,
                                  .lpszAddress = records.recipient.lpszAddress};
    EXPECT_EQ(std::memcmp(&records.recipient, &recipient, sizeof recipient), 0);
    EXPECT_STREQ(records.recipient.lpszName, YORV_SUPPORT_MAIL_ADDRESS);
    EXPECT_STREQ(records.recipient.lpszAddress, "SMTP:" YORV_SUPPORT_MAIL_ADDRESS);

    const MapiFileDesc attachment{.nPosition = 0xFFFFFFFF, .lpszPathName = records.attachment.lpszPathName};
    EXPECT_EQ(std::memcmp(&records.attachment, &attachment, sizeof attachment), 0);
    EXPECT_STREQ(records.attachment.lpszPathName, dumpPath.data());

    const MapiMessage message{.lpszSubject = records.message.lpszSubject,
                              .nRecipCount = 1, .lpRecips = &records.recipient,
                              .nFileCount = 1, .lpFiles = &records.attachment};
    EXPECT_EQ(std::memcmp(&records.message, &message, sizeof message), 0);
    EXPECT_STREQ(records.message.lpszSubject, "Yorv: Crash Report");
    EXPECT_EQ(ReportMailFlags, 9u);
    // The provider's own copies: what it writes into them reaches nothing of the sender's.
    for (char* text : {records.attachment.lpszPathName, records.recipient.lpszName, records.recipient.lpszAddress,
                       records.message.lpszSubject})
        std::strtok(text, "/@:");
    EXPECT_STREQ(dumpPath.data(), "/tmp/yorv_crash_dump.txt");
    EXPECT_STREQ(SupportMailRecipientAddress, "SMTP:" YORV_SUPPORT_MAIL_ADDRESS);
}

TEST(FailureText, ComposesFiveLinesAndFitsTheLongestPath) {
    DumpPath dumpPath{};
    std::strcpy(dumpPath.data(), "C:\\Temp\\yorv_crash_dump.txt");
    BoxText message;
    DescribeFailedHandOff(message, {.handOff = HandOff::Failed, .mapiResult = 1}, dumpPath);
    EXPECT_STREQ(message.data(),
                 "Failed to send e-mail message.\nMAPI error code: MAPI_E_USER_ABORT(1).\n\n"
                 "Error report saved to file:\nC:\\Temp\\yorv_crash_dump.txt");
    DescribeFailedHandOff(message, {HandOff::Unavailable}, dumpPath);
    EXPECT_STREQ(message.data(), "Failed to load MAPI32.DLL");

    dumpPath.fill('p');
    dumpPath.back() = '\0';
    DescribeFailedHandOff(message, {.handOff = HandOff::Failed, .mapiResult = 13}, dumpPath);
    EXPECT_EQ(std::strlen(message.data()), 373u);
}

}  // namespace
