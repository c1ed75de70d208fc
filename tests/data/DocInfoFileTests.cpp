#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DocInfoFile.h"

#include <gtest/gtest.h>

namespace {

using data::CDataDoc;
using data::CDataLibrary;
using data::NodeHandle;
using data::NodePosition;

CDataDoc Doc(const wchar_t* title, const wchar_t* file) {
    CDataDoc doc;
    doc.title = title;
    doc.file.path = file;
    return doc;
}

std::vector<NodeHandle> Children(const CDataLibrary& library, NodeHandle folder) {
    std::vector<NodeHandle> handles;
    EXPECT_TRUE(library.ListChildren(folder, handles));
    return handles;
}

class DocInfoFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_library.SetFolder(m_folder.Path());
        ASSERT_TRUE(m_library.Reload());
        m_manuals = m_library.AddFolder(L"Manuals & <Guides>", m_library.GetRoot(), NodePosition::End());
        ASSERT_NE(m_manuals, data::kNoNode);
        m_first = m_library.AddDoc(Doc(L"First", L"C:\\docs\\first.chm"), m_manuals, NodePosition::End());
        const NodeHandle inner = m_library.AddFolder(L"Inner", m_manuals, NodePosition::End());
        CDataDoc remote;
        remote.title = L"Remote";
        remote.note = L"日本語のメモ";
        remote.url.address = L"ftp://example.org/remote.chm";
        remote.url.pasv = true;
        ASSERT_NE(m_library.AddDoc(remote, inner, NodePosition::End()), data::kNoNode);
        m_loose = m_library.AddDoc(Doc(L"Loose", L"..\\loose.chm"), m_library.GetRoot(), NodePosition::End());
        ASSERT_NE(m_first, data::kNoNode);
        ASSERT_NE(m_loose, data::kNoNode);
    }
    std::string CopyOut(NodeHandle handle) {
        std::string text;
        EXPECT_TRUE(m_library.CopyOut(handle, text));
        return text;
    }

    CTempFolder m_folder;
    CDataLibrary m_library;
    NodeHandle m_manuals = data::kNoNode;
    NodeHandle m_first = data::kNoNode;
    NodeHandle m_loose = data::kNoNode;
};

TEST(DocInfoName, BaseNameDashFourteenDigitsAndExtension) {
    SYSTEMTIME time{};
    time.wYear = 2024;
    time.wMonth = 1;
    time.wDay = 5;
    time.wHour = 9;
    time.wMinute = 7;
    time.wSecond = 3;
    time.wMilliseconds = 999;
    struct Case {
        const wchar_t* base;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {data::kDocInfoBaseName, L"docinfo-20240105090703.xml"},
        {L"chmlib.xml", L"chmlib-20240105090703.xml"},
        {L"notes", L"notes-20240105090703"},
        {L"C:\\a.b\\notes", L"C:\\a.b\\notes-20240105090703"},
        {L"archive.tar.xml", L"archive.tar-20240105090703.xml"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(data::MakeDefaultFileName(c.base, time), c.expected);
    }
}

TEST_F(DocInfoFile, AFolderIsSavedAsItsTextWithoutDeclaration) {
    const std::wstring path = m_folder.File(L"docinfo-20240105090703.xml");
    ASSERT_TRUE(data::SaveDocInfo(m_library, m_manuals, path));
    const std::string written = ReadBytes(path);
    EXPECT_EQ(written, CopyOut(m_manuals));
    EXPECT_EQ(written, "\r\n"
                       "<folder title=\"Manuals &amp; &lt;Guides&gt;\">\r\n"
                       "  <doc title=\"First\">\r\n"
                       "    <file>C:\\docs\\first.chm</file>\r\n"
                       "  </doc>\r\n"
                       "  <folder title=\"Inner\">\r\n"
                       "    <doc title=\"Remote\" note=\"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\xA1"
                       "\xE3\x83\xA2\">\r\n"
                       "      <url pasv=\"true\">ftp://example.org/remote.chm</url>\r\n"
                       "    </doc>\r\n"
                       "  </folder>\r\n"
                       "</folder>");
}

TEST_F(DocInfoFile, ASavedFolderLoadsBackAsAnEqualSubtreeWithNewHandles) {
    const std::wstring path = m_folder.File(L"folder.xml");
    ASSERT_TRUE(data::SaveDocInfo(m_library, m_manuals, path));
    const NodeHandle target = m_library.AddFolder(L"Target", m_library.GetRoot(), NodePosition::End());
    ASSERT_TRUE(data::SaveDocInfo(m_library, m_loose, m_folder.File(L"doc.xml")));
    ASSERT_NE(m_library.AddDoc(Doc(L"Already", L"C:\\a.chm"), target, NodePosition::End()), data::kNoNode);

    const NodeHandle loaded = data::LoadDocInfo(m_library, target, path);
    ASSERT_NE(loaded, data::kNoNode) << m_library.GetError();
    const std::vector<NodeHandle> children = Children(m_library, target);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children.back(), loaded) << "the last child of the selected folder";
    EXPECT_EQ(CopyOut(loaded), CopyOut(m_manuals));
    EXPECT_NE(Children(m_library, loaded).front(), m_first);
    // The file is read, never changed.
    EXPECT_EQ(ReadBytes(path), CopyOut(m_manuals));
}

TEST_F(DocInfoFile, ADocumentGoesLastIntoAFolderOrNextToASelectedDocument) {
    const std::wstring path = m_folder.File(L"doc.xml");
    ASSERT_TRUE(data::SaveDocInfo(m_library, m_loose, path));
    EXPECT_EQ(ReadBytes(path), "\r\n<doc title=\"Loose\">\r\n  <file>..\\loose.chm</file>\r\n</doc>");

    const NodeHandle intoFolder = data::LoadDocInfo(m_library, m_manuals, path);
    ASSERT_NE(intoFolder, data::kNoNode);
    EXPECT_EQ(Children(m_library, m_manuals).back(), intoFolder);

    const NodeHandle nextToDoc = data::LoadDocInfo(m_library, m_first, path);
    ASSERT_NE(nextToDoc, data::kNoNode);
    const std::vector<NodeHandle> children = Children(m_library, m_manuals);
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[0], m_first);
    EXPECT_EQ(children[1], nextToDoc);
    CDataDoc doc;
    ASSERT_TRUE(m_library.GetDoc(nextToDoc, doc));
    EXPECT_TRUE(doc == Doc(L"Loose", L"..\\loose.chm"));

    // A declaration and a byte order mark are accepted.
    ASSERT_TRUE(WriteBytes(path, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<doc title=\"Marked\" />"));
    const NodeHandle onRoot = data::LoadDocInfo(m_library, m_library.GetRoot(), path);
    ASSERT_NE(onRoot, data::kNoNode);
    EXPECT_EQ(Children(m_library, m_library.GetRoot()).back(), onRoot);
    ASSERT_TRUE(m_library.GetDoc(onRoot, doc));
    EXPECT_EQ(doc.title, L"Marked");
}

TEST_F(DocInfoFile, TextThatIsNeitherAFolderNorADocumentIsRefused) {
    const std::string library = ReadBytes(m_library.GetPath());
    const std::string before = CopyOut(m_library.GetRoot());
    const std::string bodies[] = {
        library,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<history><folder /></history>",
        "<folder><doc><doc /></doc></folder>",
        "<doc title=\"a\" /><doc title=\"b\" />",
        "<doc title=\"unclosed\">",
        "not xml at all",
    };
    for (const std::string& body : bodies) {
        const std::wstring path = m_folder.File(L"foreign.xml");
        ASSERT_TRUE(WriteBytes(path, body));
        EXPECT_EQ(data::LoadDocInfo(m_library, m_manuals, path), data::kNoNode) << body;
        EXPECT_EQ(CopyOut(m_library.GetRoot()), before) << body;
    }
    EXPECT_EQ(ReadBytes(m_library.GetPath()), library);
}

} // namespace
