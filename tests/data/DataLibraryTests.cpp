#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataLibrary.h"

#include <gtest/gtest.h>

namespace {

using data::CDataDoc;
using data::CDataLibrary;
using data::kNoNode;
using data::NodeHandle;
using data::NodeKind;
using data::NodePosition;
using win::PathKind;


CDataDoc Doc(const std::wstring& title, const std::wstring& path) {
    CDataDoc doc;
    doc.title = title;
    doc.file.path = path;
    return doc;
}

// The tree as one line: folders as title{...}, documents by title, so order and nesting are compared at once.
std::wstring Outline(const CDataLibrary& library, NodeHandle folder) {
    std::wstring text;
    std::vector<NodeHandle> children;
    EXPECT_TRUE(library.ListChildren(folder, children));
    for (const NodeHandle child : children) {
        if (!text.empty()) {
            text += L',';
        }
        if (library.GetKind(child) == NodeKind::Folder) {
            std::wstring title;
            EXPECT_TRUE(library.GetFolderTitle(child, title));
            text += title + L'{' + Outline(library, child) + L'}';
        } else {
            CDataDoc doc;
            EXPECT_TRUE(library.GetDoc(child, doc));
            text += doc.title;
        }
    }
    return text;
}

std::wstring Outline(const CDataLibrary& library) {
    return Outline(library, library.GetRoot());
}

class LibraryStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_library.SetFolder(m_folder.Path());
        ASSERT_TRUE(m_library.Reload());
    }
    std::wstring File() const { return m_folder.File(L"chmlib.xml"); }
    // A second store reading this store's file.
    std::unique_ptr<CDataLibrary> Reread() const {
        auto reread = std::make_unique<CDataLibrary>();
        reread->SetFolder(m_folder.Path());
        EXPECT_TRUE(reread->Reload()) << reread->GetError();
        return reread;
    }
    NodeHandle Folder(const wchar_t* title, NodeHandle parent, NodePosition position = NodePosition::End()) {
        const NodeHandle handle = m_library.AddFolder(title, parent, position);
        EXPECT_NE(handle, kNoNode) << title;
        return handle;
    }
    NodeHandle AddDoc(const wchar_t* title, NodeHandle parent, NodePosition position = NodePosition::End()) {
        const NodeHandle handle = m_library.AddDoc(Doc(title, L"C:\\x.chm"), parent, position);
        EXPECT_NE(handle, kNoNode) << title;
        return handle;
    }

    CTempFolder m_folder;
    CDataLibrary m_library;
};

TEST_F(LibraryStore, WorkedExampleIsWrittenExactlyAndStaysStableThroughAReload) {
    const NodeHandle manuals = Folder(L"Manuals", m_library.GetRoot());
    ASSERT_NE(m_library.AddDoc(Doc(L"Reference", L"C:\\Docs\\ref.chm"), manuals, NodePosition::End()), kNoNode);
    ASSERT_NE(m_library.AddDoc(Doc(L"Tutorial", L"..\\docs\\tut.chm"), manuals, NodePosition::End()), kNoNode);
    CDataDoc remote;
    remote.title = L"Remote";
    remote.note = L"from the team server";
    remote.url.address = L"http://example.test/r.chm";
    ASSERT_NE(m_library.AddDoc(remote, m_library.GetRoot(), NodePosition::End()), kNoNode);

    const std::string expected = kXmlHeader + "<library>\r\n"
                                           "  <folder>\r\n"
                                           "    <folder title=\"Manuals\">\r\n"
                                           "      <doc title=\"Reference\">\r\n"
                                           "        <file>C:\\Docs\\ref.chm</file>\r\n"
                                           "      </doc>\r\n"
                                           "      <doc title=\"Tutorial\">\r\n"
                                           "        <file>..\\docs\\tut.chm</file>\r\n"
                                           "      </doc>\r\n"
                                           "    </folder>\r\n"
                                           "    <doc title=\"Remote\" note=\"from the team server\">\r\n"
                                           "      <url>http://example.test/r.chm</url>\r\n"
                                           "    </doc>\r\n"
                                           "  </folder>\r\n"
                                           "</library>";
    EXPECT_EQ(ReadBytes(File()), expected);

    const auto reread = Reread();
    EXPECT_EQ(Outline(*reread), L"Manuals{Reference,Tutorial},Remote");
    std::vector<NodeHandle> top;
    ASSERT_TRUE(reread->ListChildren(reread->GetRoot(), top));
    CDataDoc got;
    ASSERT_TRUE(reread->GetDoc(top.at(1), got));
    EXPECT_TRUE(got == remote);
    const std::wstring copy = m_folder.File(L"copy.xml");
    ASSERT_TRUE(reread->Export(copy));
    EXPECT_EQ(ReadBytes(copy), expected);
}

TEST_F(LibraryStore, TenNestedLevelsKeepTheirOrderThroughSaveAndReload) {
    NodeHandle parent = m_library.GetRoot();
    std::wstring expected;
    std::wstring closing;
    for (int level = 1; level <= 10; ++level) {
        const std::wstring n = std::to_wstring(level);
        AddDoc((L"before" + n).c_str(), parent);
        const NodeHandle folder = Folder((L"level" + n).c_str(), parent);
        AddDoc((L"after" + n).c_str(), parent);
        expected += L"before" + n + L",level" + n + L"{";
        closing = L"},after" + n + closing;
        parent = folder;
    }
    AddDoc(L"deepest", parent);
    expected += L"deepest" + closing;
    EXPECT_EQ(Outline(m_library), expected);

    const std::string written = ReadBytes(File());
    EXPECT_NE(written.find(std::string(2 * 11, ' ') + "<folder title=\"level10\">"), std::string::npos);
    const auto reread = Reread();
    EXPECT_EQ(Outline(*reread), expected);
    const std::wstring copy = m_folder.File(L"copy.xml");
    ASSERT_TRUE(reread->Export(copy));
    EXPECT_EQ(ReadBytes(copy), written);
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
    EXPECT_EQ(m_library.AddDoc(Doc(L"x", L"C:\\x.chm"), a, NodePosition::After(d)), kNoNode); // d is not in a
    EXPECT_EQ(m_library.AddFolder(L"x", d, NodePosition::End()), kNoNode);                    // into a document
    EXPECT_FALSE(m_library.Move(a, a, NodePosition::End()));                                  // into itself
    EXPECT_FALSE(m_library.Move(a, c, NodePosition::End()));                                  // below itself
    EXPECT_FALSE(m_library.Move(root, a, NodePosition::End()));                               // the root stays
    EXPECT_FALSE(m_library.Remove(root, b));                                                  // not a direct child
    EXPECT_EQ(ReadBytes(File()), before);

    ASSERT_TRUE(m_library.Move(b, root, NodePosition::After(e)));
    ASSERT_TRUE(m_library.Move(d, c, NodePosition::Front()));
    EXPECT_EQ(Outline(*Reread()), L"e,b{c{d}},f,a{}");
    ASSERT_TRUE(m_library.Remove(root, b));
    EXPECT_EQ(m_library.GetKind(d), NodeKind::None);
    EXPECT_EQ(Outline(*Reread()), L"e,f,a{}");
}
TEST_F(LibraryStore, InsertingXmlTextTakesAFolderOrADocAndNothingElse) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle target = Folder(L"target", root);
    AddDoc(L"first", target);

    const NodeHandle doc =
        m_library.InsertXml("<doc title=\"pasted\"><file>C:\\p.chm</file></doc>", target, NodePosition::End());
    ASSERT_NE(doc, kNoNode);
    EXPECT_EQ(m_library.GetKind(doc), NodeKind::Doc);
    const NodeHandle folder = m_library.InsertXml(
        kXmlHeader + "<folder title=\"tree\">\r\n  <doc title=\"x\" />\r\n  <folder title=\"y\" />\r\n</folder>", root,
        NodePosition::Front());
    ASSERT_NE(folder, kNoNode);
    EXPECT_EQ(Outline(m_library), L"tree{x,y{}},target{first,pasted}");

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
    EXPECT_EQ(Outline(m_library), L"tree{x,y{}},target{first,pasted}");
    EXPECT_EQ(ReadBytes(File()), before);
}

TEST_F(LibraryStore, ReadingRules) {
    struct Case {
        const char* body;
        bool loads;
        const wchar_t* outline;
    };
    const Case cases[] = {
        {"<library />", true, L""},
        {"<library><folder><folder title=\"a\"><doc title=\"b\" /></folder></folder></library>", true, L"a{b}"},
        {"<library><folder><doc title=\"x\" /></folder><folder><doc title=\"y\" /></folder></library>", true, L"x"},
        {"<library><folder><doc title=\"x\" /></folder><junk /></library>", true, L"x"}, // later siblings skipped
        {"<library><doc title=\"x\" /></library>", false, nullptr},
        {"<library><folder><file>a</file></folder></library>", false, nullptr},
        {"<library><folder><doc><topic>a</topic><topic>b</topic></doc></folder></library>", false, nullptr},
        {"<library><folder><doc time=\"1e3\" /></folder></library>", false, nullptr},
        {"<library><folder /></library><library />", false, nullptr},
    };
    for (const Case& c : cases) {
        CTempFolder folder;
        CDataLibrary library;
        EXPECT_EQ(ReloadFromText(library, folder.Path(), c.body), c.loads) << c.body;
        EXPECT_EQ(library.GetError().empty(), c.loads) << c.body;
        if (c.loads) {
            EXPECT_EQ(Outline(library), c.outline) << c.body;
        } else {
            EXPECT_FALSE(library.AddFolder(L"x", library.GetRoot(), NodePosition::End()) != kNoNode) << c.body;
            EXPECT_EQ(ReadBytes(folder.File(L"chmlib.xml")), kXmlHeader + c.body) << c.body;
        }
    }
}

struct RelativeCase {
    const wchar_t* path;
    const wchar_t* base;
    const wchar_t* expected;
};

TEST(LibraryPaths, Classification) {
    const std::pair<const wchar_t*, PathKind> cases[] = {
        {L"", PathKind::Empty},
        {L"C:\\Docs\\a.chm", PathKind::Absolute},
        {L"c:/docs/a.chm", PathKind::Absolute},
        {L"a.chm", PathKind::Relative},
        {L".\\a.chm", PathKind::Relative},
        {L"..\\..\\a.chm", PathKind::Relative},
        {L"\\\\server\\share\\a.chm", PathKind::Unc},
    };
    for (const auto& [path, kind] : cases) {
        EXPECT_EQ(CDataLibrary::ClassifyPath(path), kind) << path;
    }
}

TEST(LibraryPaths, ToRelative) {
    const RelativeCase cases[] = {
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
    };
    for (const RelativeCase& c : cases) {
        EXPECT_EQ(CDataLibrary::ToRelativePath(c.path, c.base), c.expected) << c.path << L" from " << c.base;
    }
    EXPECT_EQ(CDataLibrary::ToRelativePath(L"C:\\" + std::wstring(300, L'a'), L"C:\\exec"), L"");
}

TEST(LibraryPaths, ToAbsolute) {
    const RelativeCase cases[] = {
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
    for (const RelativeCase& c : cases) {
        EXPECT_EQ(CDataLibrary::ToAbsolutePath(c.path, c.base), c.expected) << c.path << L" against " << c.base;
    }
    EXPECT_EQ(CDataLibrary::ToAbsolutePath(std::wstring(300, L'a'), L"C:\\exec"), L"");
}

TEST(LibraryPaths, BaseDirectoryMustBeAnExistingDriveRootedFolder) {
    CTempFolder folder;
    std::wstring base;
    ASSERT_TRUE(CDataLibrary::GetBaseDirectory(folder.Path(), base));
    EXPECT_EQ(base, folder.Path());
    EXPECT_FALSE(CDataLibrary::GetBaseDirectory(folder.File(L"missing"), base));
    EXPECT_TRUE(base.empty());
    ASSERT_TRUE(WriteBytes(folder.File(L"file.txt"), "x"));
    EXPECT_FALSE(CDataLibrary::GetBaseDirectory(folder.File(L"file.txt"), base));
    EXPECT_FALSE(CDataLibrary::GetBaseDirectory(L"relative\\dir", base));
    EXPECT_FALSE(CDataLibrary::GetBaseDirectory(L"\\\\srv\\share", base));
}

} // namespace
