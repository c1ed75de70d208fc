// The history window over real stores in a temporary folder: item texts and kinds, and the rebuild that a
// history change posts, which keeps the selection and skips an entry the tree cannot show.

#include "ToolsTestSupport.h"

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
    const struct {
        TreeItemKind kind;
        bool expanded;
        int image;
    } images[] = {
        {TreeItemKind::Root, false, 0},   {TreeItemKind::Group, false, 1}, {TreeItemKind::Group, true, 2},
        {TreeItemKind::Folder, false, 3}, {TreeItemKind::Folder, true, 4}, {TreeItemKind::DocLocal, true, 5},
        {TreeItemKind::DocUrl, false, 6},
    };
    for (const auto& row : images) {
        EXPECT_EQ(tools::TreeImageOf(row.kind, row.expanded), row.image);
        EXPECT_EQ(tools::TreeKindOf(row.image), row.kind);
    }
    EXPECT_EQ(tools::TreeKindOf(7), TreeItemKind::None);

    data::CDataDoc doc;
    EXPECT_EQ(tools::DocKindOf(doc), TreeItemKind::None);
    doc.url.address = L"http://h/a.chm";
    EXPECT_EQ(tools::DocKindOf(doc), TreeItemKind::DocUrl);
    doc.file.path = L"C:\\a.chm";
    EXPECT_EQ(tools::DocKindOf(doc), TreeItemKind::DocLocal);
}

struct NoOpener : tools::IDocOpener {
    bool RequestOpen(const data::CDataDoc&, bool, bool) override { return true; }
};

data::CDataDoc LocalDoc(const wchar_t* title) {
    data::CDataDoc doc;
    doc.title = title;
    doc.file.path = std::wstring(L"C:\\docs\\") + title + L".chm";
    return doc;
}

// Dispatches the window's posted messages of one kind; how many there were.
int DispatchPosted(HWND hwnd, UINT message) {
    int count = 0;
    MSG msg{};
    while (::PeekMessageW(&msg, hwnd, message, message, PM_REMOVE)) {
        ::DispatchMessageW(&msg);
        ++count;
    }
    return count;
}

std::vector<std::wstring> ChildTexts(tools::CTreeDocHist& tree) {
    std::vector<std::wstring> texts;
    for (HTREEITEM item = TreeView_GetChild(tree.m_hWnd, tree.Group()); item;
         item = TreeView_GetNextSibling(tree.m_hWnd, item)) {
        texts.push_back(tree.GetText(item));
    }
    return texts;
}

TEST(DlgDocHist, AChangeRebuildsLaterKeepingTheSelectionAndSkipsWhatItCannotShow) {
    CTempFolder folder;
    data::CDataSetting setting;
    setting.SetFolder(folder.Path());
    data::CDataLayout layout;
    layout.SetFolder(folder.Path());
    data::CDataHistory history(setting);
    history.SetFolder(folder.Path());
    for (const wchar_t* title : {L"A", L"B", L"C"}) {
        ASSERT_TRUE(history.Add(LocalDoc(title)));
    }
    COwnerWindow owner;
    NoOpener opener;
    tools::CDlgDocHist dialog(layout, history, setting, opener);
    const HWND hwnd = dialog.CreateTool(owner.hwnd);
    ASSERT_NE(hwnd, nullptr);
    tools::CTreeDocHist& tree = dialog.Tree();
    const HWND list = ::GetDlgItem(hwnd, IDC_HIST_LIST);

    // The first build selects the newest entry, which fills the property list.
    EXPECT_EQ(ChildTexts(tree), (std::vector<std::wstring>{L"C", L"B", L"A"}));
    EXPECT_EQ(tree.GetKind(tree.Group()), tools::TreeItemKind::Group);
    EXPECT_TRUE(tree.IsExpanded(tree.Group()));
    EXPECT_EQ(tree.GetText(tree.GetSelection()), L"C");
    EXPECT_EQ(ListView_GetItemCount(list), 3); // title, file name, file path

    const data::NodeHandle keyB = history.List()[1];
    const HTREEITEM itemB = tree.FindEntry(keyB);
    ASSERT_NE(itemB, nullptr);
    ASSERT_TRUE(TreeView_SelectItem(tree.m_hWnd, itemB));

    // The store's notification leaves the tree alone: an item held by a caller stays valid until the
    // posted rebuild runs.
    ASSERT_TRUE(history.Add(LocalDoc(L"D")));
    EXPECT_EQ(tree.GetText(itemB), L"B");
    EXPECT_EQ(ChildTexts(tree).size(), 3u);
    EXPECT_EQ(DispatchPosted(hwnd, tools::CDlgDocHist::kRebuild), 1);
    EXPECT_EQ(ChildTexts(tree), (std::vector<std::wstring>{L"D", L"C", L"B", L"A"}));
    EXPECT_EQ(tree.SelectedKey(), keyB);
    EXPECT_TRUE(tree.IsExpanded(tree.Group()));

    // An entry with neither a file nor an address is left out; the window stays usable and the report is
    // posted, not shown from inside the notification.
    data::CDataDoc broken;
    broken.title = L"E";
    ASSERT_TRUE(history.Add(broken));
    ASSERT_TRUE(history.Add(LocalDoc(L"F")));
    EXPECT_EQ(DispatchPosted(hwnd, tools::CDlgDocHist::kRebuild), 1);
    EXPECT_EQ(ChildTexts(tree), (std::vector<std::wstring>{L"F", L"D", L"C", L"B", L"A"}));
    EXPECT_TRUE(::IsWindowEnabled(tree.m_hWnd));
    EXPECT_EQ(tree.SelectedKey(), keyB);
    MSG report{};
    EXPECT_TRUE(::PeekMessageW(&report, hwnd, tools::CDlgDocHist::kReportSkipped, tools::CDlgDocHist::kReportSkipped,
                               PM_REMOVE));

    // Removing everything keeps the group, now without children, and the delete command on it.
    ASSERT_TRUE(history.Clear());
    EXPECT_EQ(DispatchPosted(hwnd, tools::CDlgDocHist::kRebuild), 1);
    ASSERT_NE(tree.Group(), nullptr);
    EXPECT_TRUE(ChildTexts(tree).empty());
    EXPECT_FALSE(dialog.IsCommandEnabled(ID_FILE_OPEN));
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    ::DestroyWindow(hwnd);
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
    ASSERT_TRUE(clipboard.GetText(win::DataFolderFormat(), copied));
    EXPECT_EQ(copied, utf8);
    ASSERT_TRUE(clipboard.GetText(text));
    EXPECT_EQ(text, win::Utf8ToWide(utf8));
}

} // namespace
