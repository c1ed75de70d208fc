#include "DataTestSupport.h"
#include "common/RecorderWindow.h"

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using data::CDataDoc;
using data::CDataLibrary;
using data::kNoNode;
using data::NodeHandle;
using data::NodeKind;
using data::NodePosition;

class LibraryStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_library.SetFolder(m_folder.Path());
        ASSERT_TRUE(m_library.Reload());
    }
    std::wstring File() const { return m_folder.File(L"chmlib.xml"); }
    NodeHandle Folder(const std::wstring& title, NodeHandle parent, NodePosition position = NodePosition::End()) {
        const NodeHandle handle = m_library.AddFolder(title, parent, position);
        EXPECT_NE(handle, kNoNode) << title;
        return handle;
    }
    NodeHandle AddDoc(const std::wstring& title, NodeHandle parent, NodePosition position = NodePosition::End()) {
        const NodeHandle handle = m_library.AddDoc(FileDoc(title, L"C:\\x.chm"), parent, position);
        EXPECT_NE(handle, kNoNode) << title;
        return handle;
    }
    std::wstring RereadOutline() const { return Outline(*Reread<CDataLibrary>(m_folder.Path())); }

    CTempFolder m_folder;
    CDataLibrary m_library;
};

TEST_F(LibraryStore, WorkedExampleIsWrittenExactlyAndStaysStableThroughAReload) {
    const NodeHandle manuals = Folder(L"Manuals", m_library.GetRoot());
    ASSERT_NE(m_library.AddDoc(FileDoc(L"Reference", L"C:\\Docs\\ref.chm"), manuals, NodePosition::End()), kNoNode);
    ASSERT_NE(m_library.AddDoc(FileDoc(L"Tutorial", L"..\\docs\\tut.chm"), manuals, NodePosition::End()), kNoNode);
    CDataDoc remote;
    remote.title = L"Remote";
    remote.note = L"from the team server";
    remote.url.address = L"http://example.test/r.chm";
    ASSERT_NE(m_library.AddDoc(remote, m_library.GetRoot(), NodePosition::End()), kNoNode);

    ExpectFileAndStableExport<CDataLibrary>(m_folder, kXmlHeader + "<library>\r\n"
                                                                   "  <folder>\r\n"
                                                                   "    <folder title=\"Manuals\">\r\n"
                                                                   "      <doc title=\"Reference\">\r\n"
                                                                   "        <file>C:\\Docs\\ref.chm</file>\r\n"
                                                                   "      </doc>\r\n"
                                                                   "      <doc title=\"Tutorial\">\r\n"
                                                                   "        <file>..\\docs\\tut.chm</file>\r\n"
                                                                   "      </doc>\r\n"
                                                                   "    </folder>\r\n"
                                                                   "    <doc title=\"Remote\" note=\"from the team "
                                                                   "server\">\r\n"
                                                                   "      <url>http://example.test/r.chm</url>\r\n"
                                                                   "    </doc>\r\n"
                                                                   "  </folder>\r\n"
                                                                   "</library>");
    EXPECT_EQ(RereadOutline(), L"Manuals{Reference,Tutorial},Remote");
}

TEST_F(LibraryStore, PositionsMovesAndRemovalsKeepTheTreeConsistent) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle a = Folder(L"a", root);
    const NodeHandle b = Folder(L"b", a);
    const NodeHandle c = Folder(L"c", b);
    const NodeHandle d = AddDoc(L"d", b);
    const NodeHandle e = AddDoc(L"e", root, NodePosition::Front());
    AddDoc(L"f", root, NodePosition::After(e));
    EXPECT_EQ(Outline(m_library), L"e,f,a{b{c{},d}}");

    const std::string before = ReadBytes(File());
    EXPECT_EQ(m_library.AddDoc(FileDoc(L"x", L"C:\\x.chm"), a, NodePosition::After(d)), kNoNode); // d is not in a
    EXPECT_EQ(m_library.AddFolder(L"x", d, NodePosition::End()), kNoNode);                        // into a document
    EXPECT_FALSE(m_library.Move(a, a, NodePosition::End()));                                      // into itself
    EXPECT_FALSE(m_library.Move(a, c, NodePosition::End()));                                      // below itself
    EXPECT_FALSE(m_library.Move(root, a, NodePosition::End()));                                   // the root stays
    EXPECT_FALSE(m_library.Remove(root, b));                                                      // not a direct child
    EXPECT_EQ(ReadBytes(File()), before);

    ASSERT_TRUE(m_library.Move(b, root, NodePosition::After(e)));
    ASSERT_TRUE(m_library.Move(d, c, NodePosition::Front()));
    EXPECT_EQ(RereadOutline(), L"e,b{c{d}},f,a{}");
    ASSERT_TRUE(m_library.Remove(root, b));
    EXPECT_EQ(m_library.GetKind(d), NodeKind::None);
    EXPECT_EQ(RereadOutline(), L"e,f,a{}");
}

TEST_F(LibraryStore, ALargeLibraryKeepsEveryNodeThroughRemovalsAndAReload) {
    // Thousands of nodes: the handle index grows and closes gaps on removal, the file outgrows the writer's buffer.
    std::string text = "<folder title=\"big\">";
    for (int f = 0; f < 40; ++f) {
        text += "<folder title=\"f" + std::to_string(f) + "\">";
        for (int d = 0; d < 50; ++d) {
            text += "<doc title=\"d" + std::to_string(f) + "-" + std::to_string(d) +
                    "\" note=\"a note long enough to be worth storing\"><file>C:\\docs\\document.chm</file></doc>";
        }
        text += "</folder>";
    }
    text += "</folder>";
    const NodeHandle big = m_library.InsertXml(text, m_library.GetRoot(), NodePosition::End());
    ASSERT_NE(big, kNoNode);
    std::vector<NodeHandle> folders;
    ASSERT_TRUE(m_library.ListChildren(big, folders));
    ASSERT_EQ(folders.size(), 40u);
    std::vector<std::vector<NodeHandle>> docs(folders.size());
    for (size_t f = 0; f < folders.size(); ++f) {
        ASSERT_TRUE(m_library.ListChildren(folders[f], docs[f]));
    }
    for (size_t f = 0; f < folders.size(); f += 2) {
        ASSERT_TRUE(m_library.Remove(big, folders[f]));
    }
    for (size_t f = 0; f < folders.size(); ++f) {
        const bool kept = f % 2 == 1;
        EXPECT_EQ(m_library.GetKind(folders[f]), kept ? NodeKind::Folder : NodeKind::None) << f;
        for (const NodeHandle doc : docs[f]) {
            EXPECT_EQ(m_library.GetKind(doc), kept ? NodeKind::Doc : NodeKind::None) << f;
            EXPECT_EQ(m_library.GetParent(doc), kept ? folders[f] : kNoNode) << f;
        }
    }
    EXPECT_GT(ReadBytes(File()).size(), 64u * 1024);
    EXPECT_EQ(RereadOutline(), Outline(m_library));
}

TEST_F(LibraryStore, InsertingXmlTextTakesAFolderOrADocAndNothingElse) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle target = Folder(L"target", root);
    AddDoc(L"first", target);
    const NodeHandle doc =
        m_library.InsertXml("<doc title=\"pasted\"><file>C:\\p.chm</file></doc>", target, NodePosition::End());
    EXPECT_EQ(m_library.GetKind(doc), NodeKind::Doc);
    EXPECT_NE(m_library.InsertXml(kXmlHeader +
                                      "<folder title=\"tree\">\r\n  <doc title=\"x\" />\r\n  <folder title=\"y\" />\r\n"
                                      "</folder>",
                                  root, NodePosition::Front()),
              kNoNode);
    const std::wstring outline = L"tree{x,y{}},target{first,pasted}";
    EXPECT_EQ(Outline(m_library), outline);

    const std::string before = ReadBytes(File());
    const char* refused[] = {
        "",
        "plain text",
        "<library><folder /></library>", // a whole store file
        "<history><folder /></history>",
        "<file>C:\\a.chm</file>",
        "<doc><bogus /></doc>",
        "<folder><file>x</file></folder>",
        "<doc title=\"a\"></doc><doc title=\"b\"></doc>",
        "<folder title=\"unclosed\">",
        "<doc time=\"soon\" />",
    };
    for (const char* text : refused) {
        EXPECT_EQ(m_library.InsertXml(text, target, NodePosition::End()), kNoNode) << text;
    }
    EXPECT_EQ(m_library.InsertXml("<doc />", doc, NodePosition::End()), kNoNode); // into a document
    EXPECT_EQ(Outline(m_library), outline);
    EXPECT_EQ(ReadBytes(File()), before);
}

TEST_F(LibraryStore, ReadingRulesAndAFailedLoadRefusesEdits) {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"<library />", L""},
        {"<library><folder><folder title=\"a\"><doc title=\"b\" /></folder></folder></library>", L"a{b}"},
        {"<library><folder><doc title=\"x\" /></folder><folder><doc title=\"y\" /></folder></library>", L"x"},
        {"<library><folder><doc title=\"x\" /></folder><junk /></library>", L"x"}, // later siblings skipped
        {"<library><doc title=\"x\" /></library>", nullptr},
        {"<library><folder><file>a</file></folder></library>", nullptr},
        {"<library><folder><doc><topic>a</topic><topic>b</topic></doc></folder></library>", nullptr},
        {"<library><folder><doc time=\"1e3\" /></folder></library>", nullptr},
        {"<library><folder /></library><library />", nullptr},
    };
    for (const auto& [body, outline] : cases) {
        CDataLibrary library;
        ASSERT_EQ(ReloadFromText(library, m_folder.Path(), body), outline != nullptr) << body;
        EXPECT_EQ(library.GetError().empty(), outline != nullptr) << body;
        if (outline) {
            EXPECT_EQ(Outline(library), outline) << body;
        } else {
            EXPECT_EQ(library.AddFolder(L"x", library.GetRoot(), NodePosition::End()), kNoNode) << body;
            EXPECT_EQ(ReadBytes(File()), kXmlHeader + body) << body;
        }
    }
}

// Another instance changed the library: an edit prepared on the old content lands on the same node of the fresh
// content (the views hear of the reload first), a node removed meanwhile is removed as wanted or fails softly,
// and handles stay valid across the watcher's reload.
TEST_F(LibraryStore, EditsOfAStaleInstanceLandOnTheSameNodesOfTheFreshContent) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle x = Folder(L"x", root);
    AddDoc(L"d1", x);
    AddDoc(L"d2", x);
    const NodeHandle y = Folder(L"y", root);
    CDataLibrary other;
    other.SetFolder(m_folder.Path());
    ASSERT_TRUE(other.Reload());
    std::vector<NodeHandle> top;
    std::vector<NodeHandle> inX;
    ASSERT_TRUE(other.ListChildren(other.GetRoot(), top) && top.size() == 2u);
    ASSERT_TRUE(other.ListChildren(top[0], inX) && inX.size() == 2u);
    CRecorderWindow view;
    other.AddView(xml::CXmlStore::kReloaded, view.Get(), WM_APP, 1);
    other.AddView(CDataLibrary::kChanged, view.Get(), WM_APP, 8);

    AddDoc(L"new", root, NodePosition::Front());
    std::vector<NodeHandle> mine;
    ASSERT_TRUE(m_library.ListChildren(x, mine));
    ASSERT_TRUE(m_library.Remove(x, mine.at(0)));
    Folder(L"z", root);

    ASSERT_TRUE(other.RenameFolder(top[0], L"x2")) << other.GetError();
    ASSERT_EQ(view.GetReceived().size(), 2u);
    EXPECT_EQ(view.GetReceived()[0].wParam, 1u);
    EXPECT_EQ(view.GetReceived()[1].wParam, 8u);
    ASSERT_NE(other.AddDoc(FileDoc(L"after y", L"C:\\y.chm"), other.GetRoot(), NodePosition::After(top[1])), kNoNode);
    const std::string written = ReadBytes(File());
    EXPECT_TRUE(other.Remove(top[0], inX[0])) << "already gone, as wanted";
    EXPECT_FALSE(other.SetDoc(inX[0], FileDoc(L"lost", L"C:\\lost.chm")));
    EXPECT_EQ(other.GetError(), xml::kErrorRecordGone);
    EXPECT_EQ(ReadBytes(File()), written);

    // This instance is stale now: its folder y is still y.
    ASSERT_NE(m_library.AddDoc(FileDoc(L"in y", L"C:\\y.chm"), y, NodePosition::End()), kNoNode);
    ASSERT_TRUE(other.Reload());
    EXPECT_EQ(other.GetParent(inX[1]), top[0]);
    EXPECT_TRUE(other.ListChildren(top[1], inX) && inX.size() == 1u);
    EXPECT_EQ(Outline(other), L"new,x2{d2},y{in y},after y,z{}");
    EXPECT_EQ(RereadOutline(), Outline(other));
}

TEST(NodeMap, FindsEveryHandleLeftAfterRandomInsertionsAndErasures) {
    // Random handles collide in the table, so an erasure must close the gap it leaves in a probe run.
    std::mt19937 random(7);
    data::CNodeMapT<int> map;
    std::map<NodeHandle, int> expected;
    for (int round = 0; round < 20000; ++round) {
        const auto handle = static_cast<NodeHandle>(random() % 4000 + 1);
        if (random() % 3 == 0) {
            EXPECT_EQ(map.Erase(handle), expected.erase(handle) == 1) << handle;
        } else {
            map[handle] = round;
            expected[handle] = round;
        }
    }
    EXPECT_EQ(map.Size(), expected.size());
    for (NodeHandle handle = 1; handle <= 4000; ++handle) {
        const int* value = map.Find(handle);
        const auto it = expected.find(handle);
        ASSERT_EQ(value != nullptr, it != expected.end()) << handle;
        if (value) {
            EXPECT_EQ(*value, it->second) << handle;
        }
    }
    EXPECT_EQ(map.Find(kNoNode), nullptr);
}

TEST(LibraryPaths, ConvertBetweenAbsoluteAndRelative) {
    const struct {
        const wchar_t* path;
        const wchar_t* base;
        const wchar_t* expected;
    } toRelative[] =
        {
            {L"C:\\exec\\dir\\a.chm", L"C:\\exec\\dir", L".\\a.chm"},
            {L"C:\\exec\\dir\\sub\\a.chm", L"C:\\exec\\dir", L".\\sub\\a.chm"},
            {L"C:\\exec\\other\\a.chm", L"C:\\exec\\dir", L"..\\other\\a.chm"},
            {L"C:\\docs\\a.chm", L"C:\\exec\\dir", L"..\\..\\docs\\a.chm"},
            {L"c:\\EXEC\\Dir\\a.chm", L"C:\\exec\\dir", L".\\a.chm"},
            {L"D:\\docs\\a.chm", L"C:\\exec\\dir", L"D:\\docs\\a.chm"},        // another drive: unchanged
            {L"\\\\srv\\share\\a.chm", L"C:\\exec", L"\\\\srv\\share\\a.chm"}, // not drive-rooted: unchanged
            {L"..\\a.chm", L"C:\\exec", L"..\\a.chm"},
            {L"", L"C:\\exec", L""},
            {L"C:\\docs\\a.chm", L"", L""}, // no base: failure
        },
      toAbsolute[] = {
          {L".\\a.chm", L"C:\\exec\\dir", L"C:\\exec\\dir\\a.chm"},
          {L"a.chm", L"C:\\exec\\dir\\", L"C:\\exec\\dir\\a.chm"},
          {L"..\\..\\docs\\a.chm", L"C:\\exec\\dir", L"C:\\docs\\a.chm"},
          {L"..\\..\\..\\..\\a.chm", L"C:\\exec", L"C:\\a.chm"},
          {L"sub/a.chm", L"C:\\exec", L"C:\\exec\\sub\\a.chm"},
          {L"C:\\docs\\a.chm", L"C:\\exec", L"C:\\docs\\a.chm"},
          {L"\\\\srv\\share\\a.chm", L"C:\\exec", L"\\\\srv\\share\\a.chm"},
          {L"", L"C:\\exec", L""},
          {L"a.chm", L"", L""},
      };
    for (const auto& c : toRelative) {
        EXPECT_EQ(CDataLibrary::ToRelativePath(c.path, c.base), c.expected) << c.path << L" from " << c.base;
    }
    for (const auto& c : toAbsolute) {
        EXPECT_EQ(CDataLibrary::ToAbsolutePath(c.path, c.base), c.expected) << c.path << L" against " << c.base;
    }
    // Results longer than a path may be are failures.
    EXPECT_EQ(CDataLibrary::ToRelativePath(L"C:\\" + std::wstring(300, L'a'), L"C:\\exec"), L"");
    EXPECT_EQ(CDataLibrary::ToAbsolutePath(std::wstring(300, L'a'), L"C:\\exec"), L"");
}

} // namespace
