#include "DataTestSupport.h"
#include "data/DocInfoFile.h"

namespace {

using data::CDataDoc;
using data::NodeHandle;
using data::NodePosition;

class DocInfoFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_library.SetFolder(m_folder.Path());
        ASSERT_TRUE(m_library.Reload());
        m_manuals = m_library.AddFolder(L"Manuals & <Guides>", m_library.GetRoot(), NodePosition::End());
        m_first = m_library.AddDoc(FileDoc(L"First", L"C:\\docs\\first.chm"), m_manuals, NodePosition::End());
        const NodeHandle inner = m_library.AddFolder(L"Inner", m_manuals, NodePosition::End());
        CDataDoc remote;
        remote.title = L"Remote";
        remote.note = L"日本語のメモ";
        remote.url.address = L"ftp://example.org/remote.chm";
        remote.url.pasv = true;
        ASSERT_NE(m_library.AddDoc(remote, inner, NodePosition::End()), data::kNoNode);
        m_loose = m_library.AddDoc(FileDoc(L"Loose", L"..\\loose.chm"), m_library.GetRoot(), NodePosition::End());
        ASSERT_EQ(Outline(m_library), L"Manuals & <Guides>{First,Inner{Remote}},Loose");
    }
    std::string CopyOut(NodeHandle handle) {
        std::string text;
        EXPECT_TRUE(m_library.CopyOut(handle, text));
        return text;
    }

    CTempFolder m_folder;
    data::CDataLibrary m_library;
    NodeHandle m_manuals = data::kNoNode;
    NodeHandle m_first = data::kNoNode;
    NodeHandle m_loose = data::kNoNode;
};

TEST(DocInfoName, BaseNameDashFourteenDigitsAndExtension) {
    const SYSTEMTIME time{2024, 1, 0, 5, 9, 7, 3, 999};
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {{data::kDocInfoBaseName, L"docinfo-20240105090703.xml"},
                                                               {L"chmlib.xml", L"chmlib-20240105090703.xml"},
                                                               {L"notes", L"notes-20240105090703"},
                                                               {L"C:\\a.b\\notes", L"C:\\a.b\\notes-20240105090703"},
                                                               {L"archive.tar.xml", L"archive.tar-20240105090703.xml"}};
    for (const auto& [base, expected] : cases) {
        EXPECT_EQ(data::MakeDefaultFileName(base, time), expected);
    }
}

TEST_F(DocInfoFile, AFolderIsSavedAsItsTextWithoutDeclarationAndLoadsBackAsACopy) {
    const std::wstring path = m_folder.File(L"folder.xml");
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

    // Loaded into a folder: its last child, an equal subtree under new handles; the file is never changed.
    const NodeHandle loaded = data::LoadDocInfo(m_library, m_manuals, path);
    ASSERT_NE(loaded, data::kNoNode) << m_library.GetError();
    EXPECT_EQ(Outline(m_library),
              L"Manuals & <Guides>{First,Inner{Remote},Manuals & <Guides>{First,Inner{Remote}}},Loose");
    EXPECT_EQ(CopyOut(loaded), written);
    std::vector<NodeHandle> children;
    ASSERT_TRUE(m_library.ListChildren(loaded, children));
    EXPECT_NE(children.at(0), m_first);
    EXPECT_EQ(ReadBytes(path), written);
}

// The cap of the data files: a file just past it is not read into memory at all.
TEST_F(DocInfoFile, AFileLargerThanTheDataFileCapIsNotRead) {
    const std::wstring path = m_folder.File(L"huge.xml");
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = static_cast<LONGLONG>(xml::kMaxInputBytes) + 1;
    const bool sized = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    ASSERT_TRUE(sized);
    std::string text = "stale";
    EXPECT_FALSE(data::ReadDocInfoText(path, text));
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(data::LoadDocInfo(m_library, m_manuals, path), data::kNoNode);
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
