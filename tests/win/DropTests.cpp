// The drag-and-drop pieces: the data object's answers, the effects, and the readers that take untrusted data from
// other programs.

#include "common/DropTestData.h"
#include "win/DropData.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>

namespace {

TEST(DropData, DroppedFileListsAreReadWithinTheBlockAndLongNamesRefused) {
    const std::wstring longest(MAX_PATH - 1, L'a');
    struct Case {
        const char* what;
        std::string bytes;
        bool ok;
        std::vector<std::wstring> names;
    };
    std::string unterminated = FileList({L"C:\\a.chm"});
    unterminated.resize(unterminated.size() - 4);
    std::string badOffset = FileList({L"C:\\a.chm"});
    reinterpret_cast<DROPFILES*>(badOffset.data())->pFiles = static_cast<DWORD>(badOffset.size());
    const Case cases[] = {
        {"one wide name", FileList({L"C:\\ドキュメント.chm"}), true, {L"C:\\ドキュメント.chm"}},
        {"two names", FileList({L"C:\\a.chm", L"C:\\b.chm"}), true, {L"C:\\a.chm", L"C:\\b.chm"}},
        {"narrow names", FileList({L"C:\\a.chm"}, false), true, {L"C:\\a.chm"}},
        {"the longest name", FileList({longest}), true, {longest}},
        {"a name over the limit", FileList({longest + L"b"}), false, {}},
        {"a narrow name over the limit", FileList({longest + L"b"}, false), false, {}},
        {"a list without its end", unterminated, false, {}},
        {"names outside the block", badOffset, false, {}},
        {"a header cut short", std::string(8, '\0'), false, {}},
    };
    for (const Case& c : cases) {
        HGLOBAL memory = win::CopyToGlobal(c.bytes.data(), c.bytes.size());
        std::vector<std::wstring> names;
        EXPECT_EQ(win::ReadDroppedFiles(memory, names), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(names, c.names) << c.what;
        }
        ::GlobalFree(memory);
    }
}

TEST(DropData, TextsEndAtTheirZeroOrAtTheBlocksEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("abc\0def", 7), "abc"},
        {"no terminator", "no terminator"},
    };
    for (const auto& [bytes, expected] : cases) {
        HGLOBAL memory = win::CopyToGlobal(bytes.data(), bytes.size());
        std::string text;
        EXPECT_TRUE(win::ReadGlobalText(memory, text));
        EXPECT_EQ(text, expected);
        ::GlobalFree(memory);
    }
    // Three bytes hold one UTF-16 unit: the odd byte is not read.
    HGLOBAL odd = win::CopyToGlobal("a\0b", 3);
    std::wstring wide;
    EXPECT_TRUE(win::ReadGlobalText(odd, wide));
    EXPECT_EQ(wide, L"a");
    ::GlobalFree(odd);
    std::string none;
    EXPECT_FALSE(win::ReadGlobalText(static_cast<HGLOBAL>(nullptr), none));
}

} // namespace
