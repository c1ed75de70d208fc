#include "common/TempFolder.h"
#include "data/DataLibrary.h"
#include "xml/RecorderWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <cwctype>
#include <sstream>

namespace {

using data::CDataDoc;
using data::CDataLibrary;
using data::kNoNode;
using data::NodeHandle;
using data::NodeKind;
using data::NodePosition;
using win::PathKind;

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::wstring& path, const std::string& text) {
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << text;
}

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

// A "folder" element nested `levels` deep, innermost first written last.
std::string NestedFolderText(int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) {
        text += "<folder title=\"" + std::to_string(i) + "\">";
    }
    for (int i = 0; i < levels; ++i) {
        text += "</folder>";
    }
    return text;
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

    const std::string expected = kHeader + "<library>\r\n"
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
    EXPECT_EQ(ReadFile(File()), expected);

    const auto reread = Reread();
    EXPECT_EQ(Outline(*reread), L"Manuals{Reference,Tutorial},Remote");
    std::vector<NodeHandle> top;
    ASSERT_TRUE(reread->ListChildren(reread->GetRoot(), top));
    CDataDoc got;
    ASSERT_TRUE(reread->GetDoc(top.at(1), got));
    EXPECT_TRUE(got == remote);
    const std::wstring copy = m_folder.File(L"copy.xml");
    ASSERT_TRUE(reread->Export(copy));
    EXPECT_EQ(ReadFile(copy), expected);
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

    const std::string written = ReadFile(File());
    EXPECT_NE(written.find(std::string(2 * 11, ' ') + "<folder title=\"level10\">"), std::string::npos);
    const auto reread = Reread();
    EXPECT_EQ(Outline(*reread), expected);
    const std::wstring copy = m_folder.File(L"copy.xml");
    ASSERT_TRUE(reread->Export(copy));
    EXPECT_EQ(ReadFile(copy), written);
}

TEST_F(LibraryStore, MarkupCharactersAndNonAsciiTextRoundTrip) {
    const std::wstring title = L"Q&A <tags> \"quoted\" 'single' \u65B0\u898F \U0001D11E";
    const NodeHandle folder = Folder(title.c_str(), m_library.GetRoot());
    CDataDoc doc = Doc(L"\u30D8\u30EB\u30D7 & \"more\"", L"..\\D&D <x>\\\U0001F600.chm");
    doc.note = L"<note> & 'memo' \u00E9";
    doc.topic.path = L"/a&b.htm";
    const NodeHandle docHandle = m_library.AddDoc(doc, folder, NodePosition::End());
    ASSERT_NE(docHandle, kNoNode);

    const std::string text = ReadFile(File());
    EXPECT_NE(text.find("<folder title=\"Q&amp;A &lt;tags&gt; &quot;quoted&quot; 'single' \xE6\x96\xB0\xE8\xA6\x8F "
                        "\xF0\x9D\x84\x9E\">"),
              std::string::npos)
        << text;
    const auto reread = Reread();
    std::vector<NodeHandle> top;
    ASSERT_TRUE(reread->ListChildren(reread->GetRoot(), top));
    std::wstring readTitle;
    ASSERT_TRUE(reread->GetFolderTitle(top.at(0), readTitle));
    EXPECT_EQ(readTitle, title);
    std::vector<NodeHandle> inner;
    ASSERT_TRUE(reread->ListChildren(top.at(0), inner));
    CDataDoc got;
    ASSERT_TRUE(reread->GetDoc(inner.at(0), got));
    EXPECT_TRUE(got == doc);

    // The copied-out text of the node carries the same escapes and reads back as an equal record.
    std::string copied;
    ASSERT_TRUE(m_library.CopyOut(docHandle, copied));
    EXPECT_EQ(copied.rfind("\r\n<doc ", 0), 0u) << copied; // the declaration is gone, its line end stays
    EXPECT_NE(copied.find("note=\"&lt;note&gt; &amp; 'memo' \xC3\xA9\""), std::string::npos) << copied;
    CDataDoc parsed;
    ASSERT_TRUE(parsed.LoadText(copied)) << parsed.GetError();
    EXPECT_TRUE(parsed == doc);
}

TEST_F(LibraryStore, PositionsPlaceChildrenAndAnUnknownSiblingIsRefused) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle b = AddDoc(L"b", root, NodePosition::End());
    AddDoc(L"a", root, NodePosition::Front());
    const NodeHandle d = AddDoc(L"d", root, NodePosition::End());
    AddDoc(L"c", root, NodePosition::After(b));
    AddDoc(L"e", root, NodePosition::After(d));
    const NodeHandle sub = Folder(L"sub", root, NodePosition::Front());
    EXPECT_EQ(Outline(m_library), L"sub{},a,b,c,d,e");

    const std::string before = ReadFile(File());
    EXPECT_EQ(m_library.AddDoc(Doc(L"x", L"C:\\x.chm"), root, NodePosition::After(0x7FFFFFF0)), kNoNode);
    EXPECT_EQ(m_library.AddDoc(Doc(L"x", L"C:\\x.chm"), sub, NodePosition::After(b)), kNoNode); // b is not in sub
    EXPECT_EQ(m_library.AddFolder(L"x", root, NodePosition::After(root)), kNoNode);
    EXPECT_EQ(Outline(m_library), L"sub{},a,b,c,d,e");
    EXPECT_EQ(ReadFile(File()), before);
}

TEST_F(LibraryStore, HandlesOfTheWrongKindOrOfNoNodeAreRefused) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle folder = Folder(L"f", root);
    const NodeHandle doc = AddDoc(L"d", root);
    EXPECT_EQ(m_library.GetKind(root), NodeKind::Folder);
    EXPECT_EQ(m_library.GetKind(folder), NodeKind::Folder);
    EXPECT_EQ(m_library.GetKind(doc), NodeKind::Doc);
    EXPECT_EQ(m_library.GetKind(kNoNode), NodeKind::None);
    EXPECT_EQ(m_library.GetKind(0x7FFFFFF0), NodeKind::None);

    const std::string before = ReadFile(File());
    std::vector<NodeHandle> children{doc};
    EXPECT_FALSE(m_library.ListChildren(doc, children));
    EXPECT_TRUE(children.empty());
    std::wstring title;
    EXPECT_FALSE(m_library.GetFolderTitle(doc, title));
    CDataDoc record;
    EXPECT_FALSE(m_library.GetDoc(folder, record));
    EXPECT_EQ(m_library.AddDoc(Doc(L"x", L"C:\\x.chm"), doc, NodePosition::End()), kNoNode);
    EXPECT_EQ(m_library.AddFolder(L"x", doc, NodePosition::End()), kNoNode);
    EXPECT_EQ(m_library.AddFolder(L"x", kNoNode, NodePosition::End()), kNoNode);
    EXPECT_FALSE(m_library.RenameFolder(doc, L"x"));
    EXPECT_FALSE(m_library.SetDoc(folder, Doc(L"x", L"C:\\x.chm")));
    EXPECT_FALSE(m_library.Remove(doc, folder));
    EXPECT_FALSE(m_library.Remove(kNoNode, root));
    EXPECT_EQ(ReadFile(File()), before);
    EXPECT_EQ(Outline(m_library), L"f{},d");
}

TEST_F(LibraryStore, RenameAndSetDocumentChangeOnlyTheirNode) {
    const NodeHandle folder = Folder(L"old", m_library.GetRoot());
    const NodeHandle doc = AddDoc(L"d", folder);
    ASSERT_TRUE(m_library.RenameFolder(folder, L"new"));
    CDataDoc replacement = Doc(L"d2", L"D:\\other.chm");
    replacement.time = 99;
    replacement.note = L"n";
    ASSERT_TRUE(m_library.SetDoc(doc, replacement));
    const auto reread = Reread();
    EXPECT_EQ(Outline(*reread), L"new{d2}");
    CDataDoc got;
    ASSERT_TRUE(m_library.GetDoc(doc, got));
    EXPECT_TRUE(got == replacement);
    EXPECT_NE(ReadFile(File()).find("<doc title=\"d2\" time=\"99\" note=\"n\">"), std::string::npos);
}

TEST_F(LibraryStore, RemovingAFolderRemovesEverythingBelowIt) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle top = Folder(L"top", root);
    const NodeHandle inner = Folder(L"inner", top);
    const NodeHandle deep = AddDoc(L"deep", inner);
    const NodeHandle shallow = AddDoc(L"shallow", top);
    const NodeHandle keep = AddDoc(L"keep", root);

    EXPECT_FALSE(m_library.Remove(root, inner)); // not a direct child of the root
    EXPECT_FALSE(m_library.Remove(root, root));
    ASSERT_TRUE(m_library.Remove(root, top));
    for (const NodeHandle gone : {top, inner, deep, shallow}) {
        EXPECT_EQ(m_library.GetKind(gone), NodeKind::None);
    }
    EXPECT_EQ(m_library.GetKind(keep), NodeKind::Doc);
    EXPECT_EQ(Outline(m_library), L"keep");
    EXPECT_EQ(Outline(*Reread()), L"keep");
    EXPECT_FALSE(m_library.Remove(root, top)); // already gone
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
        kHeader + "<folder title=\"tree\">\r\n  <doc title=\"x\" />\r\n  <folder title=\"y\" />\r\n</folder>", root,
        NodePosition::Front());
    ASSERT_NE(folder, kNoNode);
    EXPECT_EQ(Outline(m_library), L"tree{x,y{}},target{first,pasted}");

    const std::string before = ReadFile(File());
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
    EXPECT_EQ(ReadFile(File()), before);
}

TEST_F(LibraryStore, CopyOutAndInsertGiveAnEqualSubtreeWithNewHandles) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle source = Folder(L"src", root);
    const NodeHandle a = AddDoc(L"a", source);
    const NodeHandle sub = Folder(L"sub", source);
    AddDoc(L"b", sub);

    std::string text;
    ASSERT_TRUE(m_library.CopyOut(source, text));
    EXPECT_EQ(text.find("<?xml"), std::string::npos);
    const NodeHandle pasted = m_library.InsertXml(text, root, NodePosition::End());
    ASSERT_NE(pasted, kNoNode);
    EXPECT_EQ(Outline(m_library), L"src{a,sub{b}},src{a,sub{b}}");
    std::string again;
    ASSERT_TRUE(m_library.CopyOut(pasted, again));
    EXPECT_EQ(again, text);

    std::vector<NodeHandle> copies;
    ASSERT_TRUE(m_library.ListChildren(pasted, copies));
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_NE(copies[0], a);
    EXPECT_NE(copies[1], sub);
    // Cutting is a copy out and a removal; the pasted subtree does not depend on the source.
    ASSERT_TRUE(m_library.Remove(root, source));
    EXPECT_EQ(Outline(m_library), L"src{a,sub{b}}");
    EXPECT_EQ(m_library.GetKind(copies[1]), NodeKind::Folder);
}

TEST_F(LibraryStore, MoveKeepsHandlesAndRefusesCycles) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle a = Folder(L"a", root);
    const NodeHandle b = Folder(L"b", a);
    const NodeHandle c = Folder(L"c", b);
    const NodeHandle d = AddDoc(L"d", b);
    const NodeHandle e = AddDoc(L"e", root);
    EXPECT_EQ(Outline(m_library), L"a{b{c{},d}},e");

    const std::string before = ReadFile(File());
    EXPECT_FALSE(m_library.Move(a, a, NodePosition::End()));    // into itself
    EXPECT_FALSE(m_library.Move(a, c, NodePosition::End()));    // below itself
    EXPECT_FALSE(m_library.Move(root, a, NodePosition::End())); // the root stays
    EXPECT_FALSE(m_library.Move(d, e, NodePosition::End()));    // a document is no folder
    EXPECT_FALSE(m_library.Move(d, b, NodePosition::After(d)));
    EXPECT_FALSE(m_library.Move(d, root, NodePosition::After(c))); // c is not in the root
    EXPECT_EQ(ReadFile(File()), before);
    EXPECT_EQ(Outline(m_library), L"a{b{c{},d}},e");

    ASSERT_TRUE(m_library.Move(b, root, NodePosition::After(e)));
    ASSERT_TRUE(m_library.Move(d, c, NodePosition::Front()));
    ASSERT_TRUE(m_library.Move(e, root, NodePosition::Front()));
    EXPECT_EQ(Outline(m_library), L"e,a{},b{c{d}}");
    EXPECT_EQ(m_library.GetParent(d), c);
    EXPECT_EQ(m_library.GetParent(b), root);
    EXPECT_TRUE(m_library.IsWithin(d, b));
    EXPECT_FALSE(m_library.IsWithin(d, a));
    // Moved under b, c still takes children by its old handle.
    EXPECT_NE(m_library.AddDoc(Doc(L"f", L"C:\\f.chm"), c, NodePosition::End()), kNoNode);
    EXPECT_EQ(Outline(*Reread()), L"e,a{},b{c{d,f}}");
}

TEST_F(LibraryStore, HandlesStayValidAcrossOtherEditsAndAnUnchangedReload) {
    const NodeHandle root = m_library.GetRoot();
    const NodeHandle kept = AddDoc(L"kept", root);
    const NodeHandle folder = Folder(L"f", root);
    for (int i = 0; i < 20; ++i) {
        const NodeHandle temp = AddDoc(L"t", folder, NodePosition::Front());
        ASSERT_TRUE(m_library.Remove(folder, temp));
        ASSERT_NE(temp, kept);
    }
    ASSERT_TRUE(m_library.Reload()); // the file is what this store wrote: nothing is read
    CDataDoc doc;
    ASSERT_TRUE(m_library.GetDoc(kept, doc));
    EXPECT_EQ(doc.title, L"kept");
    EXPECT_EQ(m_library.GetParent(kept), root);
    EXPECT_EQ(m_library.GetParent(root), kNoNode);

    // Clearing empties the library; old handles name nothing, the root handle stays usable.
    ASSERT_TRUE(m_library.Clear());
    EXPECT_EQ(m_library.GetKind(kept), NodeKind::None);
    EXPECT_EQ(m_library.GetKind(folder), NodeKind::None);
    EXPECT_EQ(Outline(m_library), L"");
    EXPECT_EQ(ReadFile(File()), kHeader + "<library>\r\n  <folder />\r\n</library>");
    EXPECT_NE(m_library.AddFolder(CDataLibrary::kNewFolderTitle, m_library.GetRoot(), NodePosition::End()), kNoNode);
    EXPECT_NE(ReadFile(File()).find(
                  "<folder title=\"\xE6\x96\xB0\xE8\xA6\x8F\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80\" />"),
              std::string::npos);
}

TEST_F(LibraryStore, EditsSendTheirCodesAlsoWhenTheyFail) {
    CRecorderWindow recorder;
    for (DWORD bit = 1; bit <= 16; bit <<= 1) {
        m_library.AddView(bit, recorder.Get(), WM_APP + bit);
    }
    const NodeHandle root = m_library.GetRoot();
    NodeHandle folder = kNoNode;
    NodeHandle doc = kNoNode;
    const std::wstring exported = m_folder.File(L"exported.xml");
    struct Step {
        const char* name;
        std::function<bool()> edit;
        DWORD code;
        bool succeeds;
    };
    const Step steps[] = {
        {"add folder", [&] { return (folder = m_library.AddFolder(L"f", root, NodePosition::End())) != kNoNode; },
         CDataLibrary::kAdded, true},
        {"add doc", [&] { return (doc = m_library.AddDoc(Doc(L"d", L"C:\\d.chm"), folder, NodePosition::End())) != 0; },
         CDataLibrary::kAdded, true},
        {"insert junk", [&] { return m_library.InsertXml("<x />", root, NodePosition::End()) != kNoNode; },
         CDataLibrary::kAdded, false},
        {"rename", [&] { return m_library.RenameFolder(folder, L"g"); }, CDataLibrary::kChanged, true},
        {"set doc", [&] { return m_library.SetDoc(doc, Doc(L"e", L"C:\\e.chm")); }, CDataLibrary::kChanged, true},
        {"set doc on folder", [&] { return m_library.SetDoc(folder, Doc(L"e", L"C:\\e.chm")); }, CDataLibrary::kChanged,
         false},
        {"move", [&] { return m_library.Move(doc, root, NodePosition::Front()); }, CDataLibrary::kMoved, true},
        {"export", [&] { return m_library.Export(exported); }, 0, true},
        {"remove", [&] { return m_library.Remove(root, folder); }, CDataLibrary::kRemoved, true},
        {"clear", [&] { return m_library.Clear(); }, CDataLibrary::kRemoved, true},
        {"import", [&] { return m_library.Import(exported); }, CDataLibrary::kImported, true},
    };
    for (const Step& step : steps) {
        const size_t before = recorder.GetReceived().size();
        EXPECT_EQ(step.edit(), step.succeeds) << step.name;
        DWORD code = 0;
        for (size_t i = before; i < recorder.GetReceived().size(); ++i) {
            code |= recorder.GetReceived()[i].message - WM_APP;
        }
        EXPECT_EQ(code, step.code) << step.name;
    }
    EXPECT_EQ(Outline(m_library), L"e,g{}");

    // Another instance's write is read by Reload, which tells the views with code 1.
    WriteFile(File(), kHeader + "<library><folder><doc title=\"other\" /></folder></library>");
    const HANDLE file = ::CreateFileW(File().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later{};
    ::GetSystemTimeAsFileTime(&later);
    ULARGE_INTEGER value{{later.dwLowDateTime, later.dwHighDateTime}};
    value.QuadPart += 10'000'000ULL * 60;
    later = {value.LowPart, value.HighPart};
    ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &later));
    ::CloseHandle(file);
    const size_t before = recorder.GetReceived().size();
    ASSERT_TRUE(m_library.Reload());
    ASSERT_EQ(recorder.GetReceived().size(), before + 1);
    EXPECT_EQ(recorder.GetReceived().back().message, WM_APP + CDataLibrary::kReloaded);
    EXPECT_EQ(Outline(m_library), L"other");
}

TEST_F(LibraryStore, ExportAndImport) {
    const NodeHandle folder = Folder(L"f", m_library.GetRoot());
    AddDoc(L"d", folder);
    const std::wstring exported = m_folder.File(L"exported.xml");
    ASSERT_TRUE(m_library.Export(exported));
    EXPECT_EQ(ReadFile(exported), ReadFile(File()));
    std::wstring ownPath = File();
    for (wchar_t& c : ownPath) {
        c = static_cast<wchar_t>(::towupper(c));
    }
    EXPECT_FALSE(m_library.Export(ownPath));

    ASSERT_TRUE(m_library.Clear());
    const std::string cleared = ReadFile(File());
    const std::wstring broken = m_folder.File(L"broken.xml");
    WriteFile(broken, kHeader + "<library><folder><doc><bogus /></doc></folder></library>");
    EXPECT_FALSE(m_library.Import(broken));
    EXPECT_FALSE(m_library.GetError().empty());
    EXPECT_EQ(ReadFile(File()), cleared);
    EXPECT_EQ(Outline(m_library), L"");

    ASSERT_TRUE(m_library.Import(exported)) << m_library.GetError();
    EXPECT_EQ(Outline(m_library), L"f{d}");
    EXPECT_EQ(ReadFile(File()), ReadFile(exported));
    EXPECT_EQ(m_library.GetKind(folder), NodeKind::None); // imported nodes have new handles
}

TEST_F(LibraryStore, ReadingRules) {
    struct Case {
        const char* body;
        bool loads;
        const wchar_t* outline;
    };
    const Case cases[] = {
        {"<library />", true, L""},
        {"<library><folder /></library>", true, L""},
        {"<library><folder><folder title=\"a\"><doc title=\"b\" /></folder></folder></library>", true, L"a{b}"},
        {"<library><folder><doc title=\"x\" /></folder><folder><doc title=\"y\" /></folder></library>", true, L"x"},
        {"<library><folder><doc title=\"x\" /></folder><junk /></library>", true, L"x"}, // later siblings skipped
        {"<library><doc title=\"x\" /></library>", false, nullptr},
        {"<library><folder><file>a</file></folder></library>", false, nullptr},
        {"<library><folder><folder><item /></folder></folder></library>", false, nullptr},
        {"<library><folder><doc><topic>a</topic><topic>b</topic></doc></folder></library>", false, nullptr},
        {"<library><folder><doc time=\"1e3\" /></folder></library>", false, nullptr},
        {"<folder />", false, nullptr},
        {"<library><folder /></library><library />", false, nullptr},
    };
    for (const Case& c : cases) {
        CTempFolder folder;
        WriteFile(folder.File(L"chmlib.xml"), kHeader + c.body);
        CDataLibrary library;
        library.SetFolder(folder.Path());
        EXPECT_EQ(library.Reload(), c.loads) << c.body;
        EXPECT_EQ(library.GetError().empty(), c.loads) << c.body;
        if (c.loads) {
            EXPECT_EQ(Outline(library), c.outline) << c.body;
        } else {
            EXPECT_FALSE(library.AddFolder(L"x", library.GetRoot(), NodePosition::End()) != kNoNode) << c.body;
            EXPECT_EQ(ReadFile(folder.File(L"chmlib.xml")), kHeader + c.body) << c.body;
        }
    }
}

TEST_F(LibraryStore, NestingThatCouldNotBeReadBackIsRefused) {
    // library (depth 0) and the root folder (1) leave room for 254 nested folders within the reader's limit.
    const int room = xml::kMaxElementDepth - 2;
    EXPECT_EQ(m_library.InsertXml(NestedFolderText(room + 1), m_library.GetRoot(), NodePosition::End()), kNoNode);
    const NodeHandle deep = m_library.InsertXml(NestedFolderText(room), m_library.GetRoot(), NodePosition::End());
    ASSERT_NE(deep, kNoNode);
    const auto reread = Reread();
    std::string a;
    std::string b;
    std::vector<NodeHandle> top;
    ASSERT_TRUE(reread->ListChildren(reread->GetRoot(), top));
    ASSERT_TRUE(reread->CopyOut(top.at(0), a));
    ASSERT_TRUE(m_library.CopyOut(deep, b));
    EXPECT_EQ(a, b);

    // A document needs one more level for its "file"; a folder holding the chain cannot move into the chain.
    NodeHandle innermost = deep;
    std::vector<NodeHandle> children;
    while (m_library.ListChildren(innermost, children) && !children.empty()) {
        innermost = children[0];
    }
    const NodeHandle third = m_library.GetParent(m_library.GetParent(innermost));
    EXPECT_EQ(m_library.AddDoc(Doc(L"d", L"C:\\d.chm"), m_library.GetParent(innermost), NodePosition::End()), kNoNode);
    EXPECT_NE(m_library.AddDoc(Doc(L"d", L"C:\\d.chm"), third, NodePosition::End()), kNoNode);
    const NodeHandle other = Folder(L"other", m_library.GetRoot());
    EXPECT_FALSE(m_library.Move(other, innermost, NodePosition::End()));
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
    WriteFile(folder.File(L"file.txt"), "x");
    EXPECT_FALSE(CDataLibrary::GetBaseDirectory(folder.File(L"file.txt"), base));
    EXPECT_FALSE(CDataLibrary::GetBaseDirectory(L"relative\\dir", base));
    EXPECT_FALSE(CDataLibrary::GetBaseDirectory(L"\\\\srv\\share", base));

    // Without a given directory the current one serves.
    wchar_t current[MAX_PATH] = {};
    ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, current), 0u);
    ASSERT_TRUE(CDataLibrary::GetBaseDirectory(L"", base));
    EXPECT_EQ(base, current);
}

TEST(LibraryPaths, ARoundTripThroughRelativeGivesTheSamePathAndLeavesTheCurrentDirectory) {
    CTempFolder folder;
    const std::wstring exec = folder.File(L"exec");
    ASSERT_TRUE(::CreateDirectoryW(exec.c_str(), nullptr));
    const std::wstring document = folder.File(L"docs\\\u30D8\u30EB\u30D7.chm");
    wchar_t before[MAX_PATH] = {};
    ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, before), 0u);

    std::wstring base;
    ASSERT_TRUE(CDataLibrary::GetBaseDirectory(exec, base));
    const std::wstring relative = CDataLibrary::ToRelativePath(document, base);
    EXPECT_EQ(relative, L"..\\docs\\\u30D8\u30EB\u30D7.chm");
    EXPECT_EQ(CDataLibrary::ToAbsolutePath(relative, base), document);

    wchar_t after[MAX_PATH] = {};
    ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, after), 0u);
    EXPECT_STREQ(after, before);
}

} // namespace
