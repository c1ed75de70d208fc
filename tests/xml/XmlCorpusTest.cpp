// Malformed files: every one must fail to load with the reader's description, never hang or crash, and never
// be overwritten by the store that failed to read it.

#include "TestRecords.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ValidDocument() {
    CTestNotes notes;
    for (int i = 0; i < 4; ++i) {
        CTestNote note;
        note.title = L"Q&A <" + std::to_wstring(i) + L"> \"日本\" \xD83D\xDE00";
        note.count = static_cast<uint32_t>(i + 1);
        note.flag = i % 2 == 0;
        note.kind = NoteKind::Bold;
        note.time = 4102444800LL + i;
        note.body = i == 2 ? L"" : L"C:\\a&b\\c.chm";
        notes.notes.push_back(note);
    }
    std::string text;
    return notes.SaveText(text) ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + text : std::string();
}

// Loads `bytes` as the store's file. When the load fails, the error must come from the reader and an edit
// must not overwrite the file. Returns whether the load succeeded.
bool LoadAndTryToOverwrite(const CTempFolder& folder, const std::string& bytes, const std::string& label) {
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    if (!WriteBytes(notes.GetPath(), bytes)) {
        ADD_FAILURE() << "cannot write " << label;
        return false;
    }
    if (notes.Reload()) {
        return true;
    }
    EXPECT_EQ(notes.GetError().rfind(L"XmlReader:", 0), 0u) << label;
    EXPECT_FALSE(notes.Add(CTestNote())) << label;
    EXPECT_EQ(ReadBytes(notes.GetPath()), bytes) << label;
    return false;
}

TEST(XmlCorpus, EveryTruncationOfAValidDocumentFails) {
    CTempFolder folder;
    const std::string valid = ValidDocument();
    ASSERT_GT(valid.size(), 300u);
    ASSERT_TRUE(LoadAndTryToOverwrite(folder, valid, "whole"));
    for (size_t length = 0; length < valid.size(); ++length) {
        EXPECT_FALSE(LoadAndTryToOverwrite(folder, valid.substr(0, length), "length " + std::to_string(length)))
            << "loaded a document ending in: " << valid.substr(length < 30 ? 0 : length - 30, 30);
    }
}

TEST(XmlCorpus, HostileDocumentsFailAndForeignButWellFormedOnesLoad) {
    std::string deep = "<notes><note>";
    for (int i = 0; i < 20000; ++i) {
        deep += "<x>";
    }
    const struct {
        const char* label;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"deep nesting", deep + "t</note></notes>", false},
        {"entity expansion",
         "<?xml version=\"1.0\"?>\r\n<!DOCTYPE notes [\r\n<!ENTITY a \"aaaaaaaaaa\">\r\n"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\r\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\r\n]>\r\n"
         "<notes><note title=\"&c;\">&c;</note></notes>",
         false},
        {"external entity", "<!DOCTYPE notes SYSTEM \"file:///C:/windows/win.ini\"><notes/>", false},
        {"second top-level element", "<notes/><notes/>", false},
        {"text after the root", "<notes/>junk", false},
        {"bare ampersand", "<notes><note title=\"Q&A\"/></notes>", false},
        {"mismatched end", "<notes><note></notes></note>", false},
        {"only a declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", false},
        {"empty file", "", false},
        {"zero bytes", std::string(64, '\0'), false},
        {"declaration then a zero byte", std::string("<?xml version=\"1.0\"?>\0<notes/>", 30), false},
        {"zero byte inside", std::string("<notes>\0</notes>", 16), false},
        {"wrong root", "<history/>", false},
        // Characters a platform reader passes through but no save could write back.
        {"control character", "<notes><note title=\"a\x01z\"/></notes>", false},
        {"U+FFFF", "<notes><note>\xEF\xBF\xBF</note></notes>", false},
        {"reference to a surrogate", "<notes><note title=\"&#xD800;\"/></notes>", false},
        {"bytes that are no UTF-8", "<notes><note title=\"\xC3z\"/></notes>", false},
        {"unknown child", "<notes><doc/></notes>", false},
        {"byte order mark", "\xEF\xBB\xBF" + kXmlHeader + "<notes>\r\n  <note/>\r\n</notes>", true},
        {"no declaration, LF only", "<notes>\n<note title='x'>b</note>\n</notes>\n", true},
        {"comments and unknown attributes", "<!-- c --><notes v=\"2\"><!-- c --><note extra=\"1\"/></notes>", true},
        {"references", "<notes><note title=\"&#x51;&#38;&#65;\">&lt;&#x1F600;&gt;</note></notes>", true},
    };
    CTempFolder folder;
    for (const auto& c : cases) {
        EXPECT_EQ(LoadAndTryToOverwrite(folder, c.bytes, c.label), c.loads) << c.label;
    }
}

} // namespace
