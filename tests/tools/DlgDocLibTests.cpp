// The library window's rules that need no window: where a drop lands by kind and height, where a drop or a new
// entry goes in the store, and the record of the current topic (the window itself is proven end to end).

#include "common/TempFolder.h"
#include "tools/DlgDocLib.h"

#include <gtest/gtest.h>

namespace {

using tools::DropPlace;
using tools::TreeItemKind;

TEST(LibraryDrop, PlaceByKindExpansionAndHeight) {
    constexpr DropPlace B = DropPlace::Before, I = DropPlace::Into, A = DropPlace::After, N = DropPlace::None;
    const struct {
        TreeItemKind kind;
        bool expanded;
        int offset;
        DropPlace expected;
    } cases[] = {
        {TreeItemKind::Root, false, 0, I},      {TreeItemKind::Root, true, 15, I},
        {TreeItemKind::Folder, false, 3, B},    {TreeItemKind::Folder, false, 4, I},
        {TreeItemKind::Folder, false, 11, I},   {TreeItemKind::Folder, false, 12, A},
        {TreeItemKind::Folder, true, 3, B},     {TreeItemKind::Folder, true, 15, I},
        {TreeItemKind::DocLocal, false, 7, B},  {TreeItemKind::DocUrl, false, 8, A},
        {TreeItemKind::DocLocal, false, 16, N}, {TreeItemKind::DocLocal, false, -1, N},
        {TreeItemKind::None, false, 8, N},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tools::DropPlaceOf(c.kind, c.expanded, c.offset, 16), c.expected)
            << static_cast<int>(c.kind) << " " << c.expanded << " " << c.offset;
    }
}

TEST(LibraryDrop, TargetsInTheStore) {
    CTempFolder folder;
    data::CDataLibrary library;
    library.SetFolder(folder.Path());
    ASSERT_TRUE(library.Reload());
    const data::NodeHandle root = library.GetRoot();
    const data::NodeHandle box = library.AddFolder(L"box", root, data::NodePosition::End());
    data::CDataDoc doc;
    doc.title = L"first";
    doc.file.path = L"C:\\first.chm";
    const data::NodeHandle first = library.AddDoc(doc, box, data::NodePosition::End());
    const data::NodeHandle second = library.AddDoc(doc, box, data::NodePosition::End());
    ASSERT_NE(second, data::kNoNode);

    using Where = data::NodePosition::Where;
    const struct {
        data::NodeHandle node;
        DropPlace place;
        data::NodeHandle parent;
        Where where;
        data::NodeHandle sibling;
    } cases[] = {
        {box, DropPlace::Into, box, Where::End, data::kNoNode},
        {root, DropPlace::Into, root, Where::End, data::kNoNode},
        {box, DropPlace::Before, root, Where::Front, data::kNoNode},
        {first, DropPlace::Before, box, Where::Front, data::kNoNode},
        {second, DropPlace::Before, box, Where::After, first},
        {second, DropPlace::After, box, Where::After, second},
    };
    for (const auto& c : cases) {
        const auto target = tools::TargetOf(library, c.node, c.place);
        ASSERT_TRUE(target.has_value()) << c.node;
        EXPECT_EQ(target->parent, c.parent);
        EXPECT_EQ(target->position.GetWhere(), c.where);
        EXPECT_EQ(target->position.GetSibling(), c.sibling);
    }
    // Nothing goes into a document, before or after the root, or anywhere near a node that is not there.
    EXPECT_FALSE(tools::TargetOf(library, first, DropPlace::Into));
    EXPECT_FALSE(tools::TargetOf(library, root, DropPlace::Before));
    EXPECT_FALSE(tools::TargetOf(library, 999999, DropPlace::Into));
    // A new entry goes to the end of a selected folder, directly before a selected document.
    EXPECT_EQ(tools::NewEntryTarget(library, box)->position.GetWhere(), Where::End);
    EXPECT_EQ(tools::NewEntryTarget(library, second)->position.GetSibling(), first);
}

TEST(LibraryTopic, TheTopicRecordCarriesTheTopicAndBothTitles) {
    tools::CurrentDoc current;
    current.doc.title = L"Guide";
    current.doc.time = 1700000000;
    current.doc.topic.path = L"/index.htm";
    current.topicPath = L"/setup.htm";
    current.topicTitle = L"Setup";
    data::CDataDoc record = tools::TopicRecordOf(current);
    EXPECT_EQ(record.title, L"Guide - Setup");
    EXPECT_EQ(record.topic.path, L"/setup.htm");
    EXPECT_EQ(record.time, 0);

    // Without a topic title the document's title stays; without a topic path the document's topic does.
    current.topicTitle.clear();
    current.topicPath.clear();
    record = tools::TopicRecordOf(current);
    EXPECT_EQ(record.title, L"Guide");
    EXPECT_EQ(record.topic.path, L"/index.htm");

    // A long title is cut to the limit, never inside a surrogate pair; "%" in a title is only text.
    current.doc.title = std::wstring(254, L'a') + L"%s";
    current.topicTitle = L"\U0001F600\U0001F600";
    record = tools::TopicRecordOf(current);
    EXPECT_EQ(record.title.size(), tools::CDlgDocLib::kTitleLimit - 1);
    EXPECT_EQ(record.title.substr(254), L"%s - ");
}

} // namespace
