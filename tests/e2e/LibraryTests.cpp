// The library window of real folivex.exe processes: registering, renaming, cut and paste, a history entry
// pasted in, deleting after asking, another instance's change shown without closing the user's folders,
// dragging inside the tree and in from another program, and an export brought back by an import.

#include "common/DropTestData.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataLibrary.h"
#include "driver/Dialogs.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "tools/DocClip.h"
#include "win/Clipboard.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;

namespace {

// "title(child,child)" for a folder, "title" for a document.
std::wstring Describe(const data::CDataLibrary& library, data::NodeHandle node) {
    std::vector<data::NodeHandle> children;
    if (!library.ListChildren(node, children)) {
        data::CDataDoc doc;
        return library.GetDoc(node, doc) ? doc.title : L"?";
    }
    std::wstring title;
    (void)library.GetFolderTitle(node, title);
    std::wstring text = title + L"(";
    for (size_t i = 0; i < children.size(); ++i) {
        text += (i ? L"," : L"") + Describe(library, children[i]);
    }
    return text + L")";
}

// The library file of a data folder, as Describe writes it from the root.
std::wstring ReadLibrary(const std::wstring& folder) {
    data::CDataLibrary library;
    library.SetFolder(folder);
    return library.Reload() ? Describe(library, library.GetRoot()) : L"unreadable";
}

// What the tree shows: "text(children)" for an expanded item, "text" for any other.
std::wstring DescribeTree(HWND tree, HTREEITEM parent) {
    const auto items = TreeViewChildren(tree, parent, Timeout{2000});
    if (!items) {
        return L"?";
    }
    std::wstring text;
    for (size_t i = 0; i < items->size(); ++i) {
        const TreeItemText& item = (*items)[i];
        text += (i ? L"," : L"") + item.text;
        LRESULT state = 0;
        if (SendWithTimeout(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item.item), TVIS_EXPANDED, state) &&
            (state & TVIS_EXPANDED) && TreeViewChildren(tree, item.item).value_or(std::vector<TreeItemText>{}).size()) {
            text += L"(" + DescribeTree(tree, item.item) + L")";
        }
    }
    return text;
}

// The item reached by following the texts from the top level; null when there is none.
HTREEITEM FindItem(HWND tree, const std::vector<std::wstring>& path) {
    HTREEITEM item = nullptr;
    for (const std::wstring& step : path) {
        const auto children = TreeViewChildren(tree, item);
        HTREEITEM next = nullptr;
        for (const TreeItemText& child : children.value_or(std::vector<TreeItemText>{})) {
            next = next ? next : (child.text == step ? child.item : nullptr);
        }
        if (!next) {
            return nullptr;
        }
        item = next;
    }
    return item;
}

bool Select(HWND tree, const std::vector<std::wstring>& path) {
    LRESULT ok = 0;
    const HTREEITEM item = FindItem(tree, path);
    return item && SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), ok) && ok;
}

bool PostTo(HWND dialog, UINT id) {
    return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

// Answers the next question box of the process, which must ask `question`.
void Answer(const CFolivexProcess& app, UINT question, int button) {
    std::optional<MessageBoxInfo> box;
    ASSERT_TRUE(WaitUntil([&] {
        box = WaitForMessageBoxOf(app, Timeout{0});
        return box && !box->text.empty();
    }));
    EXPECT_EQ(box->text, win::LoadStr(question));
    ASSERT_TRUE(PressButton(*box, button));
    ASSERT_TRUE(WaitUntil([&] { return !WaitForMessageBoxOf(app, Timeout{0}).has_value(); }));
}

// Real mouse input, as the user drags: the platform's drag loop reads the buttons and keys themselves. Every
// event carries its point: a button event alone may take the pointer's position from before the last move.
void SendMouse(DWORD flags, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = static_cast<LONG>((at.x * 65535LL) / std::max(1, ::GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>((at.y * 65535LL) / std::max(1, ::GetSystemMetrics(SM_CYSCREEN) - 1));
    ::SendInput(1, &input, sizeof(input));
    ::Sleep(60);
}

void SendKey(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(input));
    ::Sleep(60);
}

// Presses on the source's label, moves in steps to `share` of the target row's height and releases there,
// holding Ctrl over the target when asked.
void DragWithMouse(HWND tree, HTREEITEM source, HTREEITEM target, double share, bool ctrl) {
    const auto from = TreeItemScreenRect(tree, source, true);
    const auto to = TreeItemScreenRect(tree, target, true);
    ASSERT_TRUE(from && to);
    const POINT start{(from->left + from->right) / 2, (from->top + from->bottom) / 2};
    const POINT end{(to->left + to->right) / 2, to->top + static_cast<LONG>((to->bottom - to->top) * share)};
    SendMouse(0, start);
    SendMouse(MOUSEEVENTF_LEFTDOWN, start);
    for (int step = 1; step <= 8; ++step) {
        SendMouse(0, {start.x + (end.x - start.x) * step / 8, start.y + (end.y - start.y) * step / 8});
    }
    if (ctrl) {
        SendKey(VK_CONTROL, false);
        SendMouse(0, end);
    }
    SendMouse(MOUSEEVENTF_LEFTUP, end);
    if (ctrl) {
        SendKey(VK_CONTROL, true);
    }
}

class Library : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_app.StartShowing(TestDocument(L"alpha"), L"Alpha Document - Folivex"));
        ASSERT_TRUE(m_app.SendCommand(ID_VIEW_LIBRARY));
        m_dialog = WaitForDialog(m_app, L"ライブラリ");
        ASSERT_NE(m_dialog, nullptr);
        m_tree = ::GetDlgItem(m_dialog, IDC_LIB_TREE);
        ASSERT_TRUE(ShowsTree(m_root));
    }
    void TearDown() override {
        if (m_app.IsRunning() && m_app.Close()) {
            EXPECT_EQ(m_app.WaitForExit(), 0u);
        }
    }

    bool ShowsTree(const std::wstring& expected) {
        std::wstring shown;
        const bool same = WaitUntil([&] { return (shown = DescribeTree(m_tree, nullptr)) == expected; });
        EXPECT_EQ(shown, expected);
        return same;
    }
    bool FileHolds(const std::wstring& expected) {
        std::wstring stored;
        const bool same = WaitUntil([&] { return (stored = ReadLibrary(m_app.DataFolder())) == expected; });
        EXPECT_EQ(stored, expected);
        return same;
    }
    // Selects the item and runs the command on it.
    void RunOn(const std::vector<std::wstring>& path, UINT id) {
        ASSERT_TRUE(WaitUntil([&] { return Select(m_tree, path); }));
        ASSERT_TRUE(PostTo(m_dialog, id));
    }
    // Renames with F2: the library's own key, which only the tree's place binds.
    void Rename(const std::vector<std::wstring>& path, const std::wstring& title) {
        ASSERT_TRUE(WaitUntil([&] { return Select(m_tree, path); }));
        ASSERT_TRUE(::PostMessageW(m_tree, WM_KEYDOWN, VK_F2, 0));
        LRESULT edit = 0;
        ASSERT_TRUE(WaitUntil([&] { return SendWithTimeout(m_tree, TVM_GETEDITCONTROL, 0, 0, edit) && edit; }));
        ASSERT_TRUE(
            ::SendMessageW(reinterpret_cast<HWND>(edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str())));
        LRESULT ended = 0;
        ASSERT_TRUE(SendWithTimeout(m_tree, TVM_ENDEDITLABELNOW, FALSE, 0, ended));
    }

    const std::wstring m_root = win::LoadStr(IDS_LIBRARY_ROOT);
    const std::wstring m_folder = win::LoadStr(IDS_LIBRARY_NEW_FOLDER);
    CFolivexProcess m_app;
    HWND m_dialog = nullptr;
    HWND m_tree = nullptr;
};

TEST_F(Library, RegistersRenamesCutsPastesAndDeletesAfterAsking) {
    // New entries go to the end of a selected folder; the root cannot be renamed.
    RunOn({m_root}, ID_LIB_ADD_FOLDER);
    ASSERT_TRUE(ShowsTree(m_root + L"(" + m_folder + L")"));
    Rename({m_root, m_folder}, L"Manuals");
    RunOn({m_root, L"Manuals"}, ID_LIB_ADD_DOC);
    ASSERT_TRUE(ShowsTree(m_root + L"(Manuals(Alpha Document))"));
    RunOn({m_root}, ID_LIB_ADD_FOLDER);
    ASSERT_TRUE(FileHolds(L"(Manuals(Alpha Document)," + m_folder + L"())"));
    ASSERT_TRUE(ShowsTree(m_root + L"(Manuals(Alpha Document)," + m_folder + L")"));
    RunOn({m_root}, ID_LIB_EDIT_LABEL);
    LRESULT edit = 0;
    EXPECT_TRUE(SendWithTimeout(m_tree, TVM_GETEDITCONTROL, 0, 0, edit));
    EXPECT_EQ(edit, 0);

    // Cut then paste moves the document into the other folder.
    RunOn({m_root, L"Manuals", L"Alpha Document"}, ID_EDIT_CUT);
    ASSERT_TRUE(FileHolds(L"(Manuals()," + m_folder + L"())"));
    ASSERT_TRUE(ShowsTree(m_root + L"(Manuals," + m_folder + L")"));
    RunOn({m_root, m_folder}, ID_EDIT_PASTE);
    ASSERT_TRUE(FileHolds(L"(Manuals()," + m_folder + L"(Alpha Document))"));
    ASSERT_TRUE(ShowsTree(m_root + L"(Manuals," + m_folder + L"(Alpha Document))"));

    // A history entry copied in the history window pastes as a document.
    ASSERT_TRUE(m_app.SendCommand(ID_VIEW_HISTORY));
    const HWND history = WaitForDialog(m_app, L"ヒストリー");
    ASSERT_NE(history, nullptr);
    const HWND historyTree = ::GetDlgItem(history, IDC_HIST_TREE);
    HTREEITEM entry = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        const auto group = TreeViewChildren(historyTree, nullptr);
        const auto entries = group && !group->empty() ? TreeViewChildren(historyTree, (*group)[0].item) : std::nullopt;
        entry = entries && !entries->empty() ? (*entries)[0].item : nullptr;
        return entry != nullptr;
    }));
    LRESULT ok = 0;
    ASSERT_TRUE(SendWithTimeout(historyTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(entry), ok));
    ASSERT_TRUE(PostTo(history, ID_EDIT_COPY));
    ASSERT_TRUE(WaitUntil([] { return ::IsClipboardFormatAvailable(win::DataFolderFormat()) != FALSE; }));
    RunOn({m_root, L"Manuals"}, ID_EDIT_PASTE);
    ASSERT_TRUE(FileHolds(L"(Manuals(Alpha Document)," + m_folder + L"(Alpha Document))"));

    // A folder with children goes only after its question; No keeps it.
    RunOn({m_root, L"Manuals"}, ID_ITEM_ACTION);
    Answer(m_app, IDS_ASK_LIBRARY_DELETE_FOLDER, IDNO);
    RunOn({m_root, L"Manuals"}, ID_ITEM_ACTION);
    Answer(m_app, IDS_ASK_LIBRARY_DELETE_FOLDER, IDYES);
    ASSERT_TRUE(FileHolds(L"(" + m_folder + L"(Alpha Document))"));
    EXPECT_TRUE(ShowsTree(m_root + L"(" + m_folder + L"(Alpha Document))"));
}

TEST_F(Library, FollowsAnotherInstanceKeepingOpenFoldersAndImportsItsExport) {
    RunOn({m_root}, ID_LIB_ADD_FOLDER);
    ASSERT_TRUE(ShowsTree(m_root + L"(" + m_folder + L")"));
    RunOn({m_root, m_folder}, ID_LIB_ADD_DOC);
    ASSERT_TRUE(ShowsTree(m_root + L"(" + m_folder + L"(Alpha Document))"));

    // Another instance adds a folder at the root: it shows here, and the open folder stays open.
    {
        CFolivexProcess other;
        ASSERT_TRUE(other.StartBeside(m_app, {}));
        ASSERT_NE(other.WaitForMainWindow(), nullptr);
        ASSERT_TRUE(other.SendCommand(ID_VIEW_LIBRARY));
        const HWND dialog = WaitForDialog(other, L"ライブラリ");
        ASSERT_NE(dialog, nullptr);
        const HWND tree = ::GetDlgItem(dialog, IDC_LIB_TREE);
        ASSERT_TRUE(WaitUntil([&] { return Select(tree, {m_root}); }));
        ASSERT_TRUE(PostTo(dialog, ID_LIB_ADD_FOLDER));
        ASSERT_TRUE(FileHolds(L"(" + m_folder + L"(Alpha Document)," + m_folder + L"())"));
        ASSERT_TRUE(other.Close());
        ASSERT_EQ(other.WaitForExit(), 0u);
    }
    EXPECT_TRUE(ShowsTree(m_root + L"(" + m_folder + L"(Alpha Document)," + m_folder + L")"));

    // The export holds the library; emptying it and importing the export brings the same file back.
    const std::wstring stored = m_app.DataFolder() + L"\\chmlib.xml";
    const std::string original = ReadBytes(stored);
    CTempFolder exports;
    const std::wstring exported = exports.Path() + L"\\library.xml";
    ASSERT_TRUE(PostTo(m_dialog, ID_DATA_EXPORT));
    HWND chooser = WaitForDialog(m_app, win::LoadStr(IDS_LIBRARY_EXPORT_TITLE));
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(ChooseFile(chooser, exported));
    ASSERT_TRUE(WaitUntil([&] { return ::GetFileAttributesW(exported.c_str()) != INVALID_FILE_ATTRIBUTES; }));

    RunOn({m_root}, ID_ITEM_ACTION);
    Answer(m_app, IDS_ASK_LIBRARY_CLEAR, IDYES);
    ASSERT_TRUE(FileHolds(L"()"));
    ASSERT_TRUE(ShowsTree(m_root));

    ASSERT_TRUE(PostTo(m_dialog, ID_DATA_IMPORT));
    chooser = WaitForDialog(m_app, win::LoadStr(IDS_LIBRARY_IMPORT_TITLE));
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(ChooseFile(chooser, exported));
    Answer(m_app, IDS_ASK_LIBRARY_IMPORT, IDYES);
    ASSERT_TRUE(FileHolds(L"(" + m_folder + L"(Alpha Document)," + m_folder + L"())"));
    EXPECT_EQ(ReadBytes(stored), original);
    EXPECT_TRUE(ShowsTree(m_root + L"(" + m_folder + L"," + m_folder + L")"));
}

TEST_F(Library, DragsMoveCopyWithCtrlAndNeverIntoThemselves) {
    RunOn({m_root}, ID_LIB_ADD_FOLDER);
    Rename({m_root, m_folder}, L"A");
    RunOn({m_root, L"A"}, ID_LIB_ADD_FOLDER);
    Rename({m_root, L"A", m_folder}, L"B");
    ASSERT_TRUE(ShowsTree(m_root + L"(A(B))"));
    RunOn({m_root}, ID_LIB_ADD_DOC);
    ASSERT_TRUE(FileHolds(L"(A(B()),Alpha Document)"));
    ASSERT_TRUE(ShowsTree(m_root + L"(A(B),Alpha Document)"));

    // A folder dropped on its own subfolder: refused, nothing changes.
    DragWithMouse(m_tree, FindItem(m_tree, {m_root, L"A"}), FindItem(m_tree, {m_root, L"A", L"B"}), 0.5, false);
    // The middle of a collapsed folder takes the document in; without Ctrl it moves.
    DragWithMouse(m_tree, FindItem(m_tree, {m_root, L"Alpha Document"}), FindItem(m_tree, {m_root, L"A", L"B"}), 0.5,
                  false);
    ASSERT_TRUE(FileHolds(L"(A(B(Alpha Document)))"));
    // The upper quarter of a folder is before it; Ctrl copies.
    ASSERT_TRUE(ShowsTree(m_root + L"(A(B(Alpha Document)))"));
    DragWithMouse(m_tree, FindItem(m_tree, {m_root, L"A", L"B", L"Alpha Document"}), FindItem(m_tree, {m_root, L"A"}),
                  0.1, true);
    ASSERT_TRUE(FileHolds(L"(Alpha Document,A(B(Alpha Document)))"));

    // A document dragged in from another program (as the history window drags one) is copied where it lands.
    data::CDataDoc beta;
    beta.title = L"Beta Document";
    beta.file.path = TestDocument(L"beta");
    std::string text;
    ASSERT_TRUE(tools::BuildDocExchangeText(beta, text));
    const auto root = TreeItemScreenRect(m_tree, FindItem(m_tree, {m_root}), true);
    ASSERT_TRUE(root.has_value());
    const POINT onRoot{(root->left + root->right) / 2, (root->top + root->bottom) / 2};
    // The pointer is moved as input first: moved only by the cursor call, it may yet be overtaken by the
    // position the last drag left queued.
    SendMouse(0, onRoot);
    EXPECT_EQ(DragFromHere(onRoot, static_cast<CLIPFORMAT>(win::DataFolderFormat()), text + '\0',
                           DROPEFFECT_COPY | DROPEFFECT_MOVE),
              static_cast<DWORD>(DROPEFFECT_COPY));
    ASSERT_TRUE(FileHolds(L"(Alpha Document,A(B(Alpha Document)),Beta Document)"));
}

} // namespace
