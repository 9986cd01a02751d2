// The messages are stored as Shift_JIS bytes; decoded with code page 932 they must read as the
// Japanese the player is meant to see, with the byte counts of the message table.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver_texts.h"
#include "expected_texts.h"

namespace {

std::wstring FromShiftJis(const char* bytes) {
    const int length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, -1, nullptr, 0);
    if (length <= 0) return L"<not valid Shift_JIS>";
    std::wstring text(length, L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, -1, &text[0], length);
    text.resize(length - 1);
    return text;
}

TEST(DriverTextsTest, EveryMessageIsItsJapaneseTextInShiftJis) {
    const struct {
        const char* name;
        const char* bytes;
        size_t storedSize;
        size_t byteCount;
        const wchar_t* expected;
    } messages[] = {
        {"MSG_GAME_RUNNING", MSG_GAME_RUNNING, sizeof MSG_GAME_RUNNING, 86, EXPECTED_GAME_RUNNING},
        {"MSG_NOT_INSTALLED", MSG_NOT_INSTALLED, sizeof MSG_NOT_INSTALLED, 60,
         EXPECTED_NOT_INSTALLED},
        {"MSG_CONFIRM", MSG_CONFIRM, sizeof MSG_CONFIRM, 26, EXPECTED_CONFIRM},
        {"MSG_DONE", MSG_DONE, sizeof MSG_DONE, 26, EXPECTED_DONE},
        {"MSG_DAMAGED", MSG_DAMAGED, sizeof MSG_DAMAGED, 52, EXPECTED_DAMAGED},
        {"MSG_CANNOT_UPDATE", MSG_CANNOT_UPDATE, sizeof MSG_CANNOT_UPDATE, 42,
         EXPECTED_CANNOT_UPDATE},
        {"MSG_UNINSTALL_LIST_FAILED", MSG_UNINSTALL_LIST_FAILED, sizeof MSG_UNINSTALL_LIST_FAILED,
         50, EXPECTED_UNINSTALL_LIST_FAILED},
    };
    for (const auto& message : messages) {
        SCOPED_TRACE(message.name);
        EXPECT_EQ(message.storedSize, message.byteCount + 1);
        EXPECT_EQ(strlen(message.bytes), message.byteCount);
        EXPECT_EQ(FromShiftJis(message.bytes), std::wstring(message.expected));
    }
}

}  // namespace
