// The history window's item texts and kinds, and what a copied entry carries to the library (the window itself is
// proven end to end).

#include "common/TempFolder.h"
#include "tools/DlgDocHist.h"
#include "tools/DocClip.h"
#include "win/Clipboard.h"
#include "win/Strings.h"
#include "common/RecorderWindow.h"
#include "data/DataLibrary.h"

#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <ctime>

namespace {

int64_t LocalSeconds(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return static_cast<int64_t>(_mktime64(&local));
}

TEST(HistoryTree, ItemTextsAndKinds) {
    const struct {
        int64_t time;
        const wchar_t* expected;
    } texts[] = {
        {LocalSeconds(2024, 3, 5, 9, 7), L"[03/05 09:07] Guide"},
        {LocalSeconds(2023, 12, 31, 23, 59), L"[12/31 23:59] Guide"},
        {0, L"Guide"},
        {-60, L"Guide"},
    };
    for (const auto& row : texts) {
        EXPECT_EQ(tools::HistoryItemText(row.time, L"Guide"), row.expected) << row.time;
    }

    using tools::TreeItemKind;
    data::CDataDoc doc;
    EXPECT_EQ(tools::DocKindOf(doc), TreeItemKind::None);
    doc.url.address = L"http://h/a.chm";
    EXPECT_EQ(tools::DocKindOf(doc), TreeItemKind::DocUrl);
    doc.file.path = L"C:\\a.chm";
    EXPECT_EQ(tools::DocKindOf(doc), TreeItemKind::DocLocal);
}

// What a history entry's copy (and drag) carries pastes into the library as a document, not as a folder, with
// every field; and it reaches the clipboard in the registered format and as text.
TEST(HistoryExchange, ACopiedEntryPastesIntoTheLibraryAsTheSameDocument) {
    data::CDataDoc doc;
    doc.title = L"Q&A <日本語> 𠀋";
    doc.time = 1700000000;
    doc.file.path = L"C:\\docs\\a&b.chm";
    doc.topic.path = L"/x.html";
    std::string utf8;
    ASSERT_TRUE(tools::BuildDocExchangeText(doc, utf8));
    CTempFolder folder;
    data::CDataLibrary library;
    library.SetFolder(folder.Path());
    const data::NodeHandle inserted = library.InsertXml(utf8, library.GetRoot(), data::NodePosition::End());
    ASSERT_NE(inserted, data::kNoNode);
    EXPECT_EQ(library.GetKind(inserted), data::NodeKind::Doc);
    data::CDataDoc pasted;
    ASSERT_TRUE(library.GetDoc(inserted, pasted));
    EXPECT_TRUE(pasted == doc);

    CRecorderWindow owner;
    ASSERT_TRUE(tools::CopyDocToClipboard(owner.Get(), doc));
    win::CClipboard clipboard(owner.Get());
    ASSERT_TRUE(clipboard.IsOpen());
    std::string copied;
    std::wstring text;
    // Other instances find the entry by the format's registered name.
    EXPECT_EQ(win::DataFolderFormat(), ::RegisterClipboardFormatW(L"folivex data folder"));
    ASSERT_TRUE(clipboard.GetText(win::DataFolderFormat(), copied));
    EXPECT_EQ(copied, utf8);
    ASSERT_TRUE(clipboard.GetText(text));
    EXPECT_EQ(text, win::Utf8ToWide(utf8));
}

} // namespace
