// The topic view's and navigation pane's decisions without a browser: page-over through a fake page and a
// fake clock, zoom and text size, element texts, menu tidying on a real menu, and the tab kinds.

#include "viewer/HHHtmlView.h"
#include "viewer/MenuItems.h"
#include "viewer/NaviPages.h"
#include "viewer/PageOver.h"
#include "viewer/TopicMenu.h"
#include "viewer/TopicPage.h"
#include "viewer/TopicZoom.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

namespace viewer {
namespace {

struct Node {
    std::wstring tag;
    std::map<std::wstring, std::wstring, std::less<>> attributes;
    Node* parent = nullptr;
    std::optional<ScrollState> scroll;
    bool hostsDocument = false;
};

class CFakeElement final : public IPageElement {
public:
    explicit CFakeElement(Node* node) : m_node(node) {}
    std::wstring TagName() const override { return m_node->tag; }
    std::wstring Attribute(std::wstring_view name) const override {
        const auto found = m_node->attributes.find(name);
        return found == m_node->attributes.end() ? std::wstring() : found->second;
    }
    std::unique_ptr<IPageElement> Parent() const override { return Wrap(m_node->parent); }
    bool HostsDocument() const override { return m_node->hostsDocument; }
    bool ReadScroll(ScrollState& state) const override {
        state = m_node->scroll.value_or(ScrollState{});
        return m_node->scroll.has_value();
    }
    bool SetScrollTop(long top) override { return m_node->scroll && (m_node->scroll->top = top, true); }
    static std::unique_ptr<IPageElement> Wrap(Node* node) {
        return node ? std::make_unique<CFakeElement>(node) : nullptr;
    }

private:
    Node* m_node;
};

// A standards-mode page 300 pixels high in a 100-pixel window, scrolled to its bottom, beside a contents tree,
// with its own clock; it writes down each move as its time and F (forward) or B.
class CFakePage final : public ITopicPage, public ITopicNavigator, public IClock {
public:
    std::wstring compatMode = L"CSS1Compat";
    mutable Node root{L"HTML", {}, nullptr, ScrollState{200, 100, 300}};
    mutable Node body{L"BODY", {}, &root, ScrollState{0, 100, 100}};
    Node division{L"DIV", {}, &body, ScrollState{0, 50, 400}};
    Node link{L"A", {}, &division};
    Node* active = &body;
    std::optional<int32_t> zoomRange = MAKELONG(10, 1000);
    long zoom = 100;
    long textSize = 0;
    std::vector<long> written;
    bool hasTree = true;
    std::optional<NaviPageKind> shownPage;
    std::string moves;
    uint64_t now = 0;

    std::wstring CompatMode() const override { return compatMode; }
    std::unique_ptr<IPageElement> ActiveElement() const override { return CFakeElement::Wrap(active); }
    std::unique_ptr<IPageElement> RootElement() const override { return CFakeElement::Wrap(&root); }
    std::unique_ptr<IPageElement> Body() const override { return CFakeElement::Wrap(&body); }
    bool ReadZoomRange(int32_t& packed) const override { return zoomRange && (packed = *zoomRange, true); }
    bool ReadZoom(long& percent) const override { return percent = zoom, true; }
    bool WriteZoom(long percent) override { return written.push_back(zoom = percent), true; }
    bool ReadTextSize(long& level) const override { return level = textSize, true; }
    bool WriteTextSize(long level) override { return written.push_back(textSize = level), true; }
    bool HasContentsTree() const override { return hasTree; }
    std::optional<NaviPageKind> ShownNaviPage() const override { return shownPage; }
    void Navigate(bool forward) override {
        moves += (moves.empty() ? "" : " ") + std::to_string(now) + (forward ? "F" : "B");
    }
    uint64_t NowMs() const override { return now; }
};

// How a case changes the page before its steps.
enum Arrange : unsigned {
    kShortPage = 1,  // at both edges
    kMiddle = 2,     // at neither
    kQuirks = 4,     // the body scrolls, at its top
    kInDivision = 8, // the active link is inside a scrolling division
    kInFrame = 16,   // ... inside a frame
    kPageKeysOff = 32,
    kNoPageOverOff = 64, // "nopgov1"
    kIndexShown = 128,
    kNoTree = 256,
};

// Steps "time:input": N and P Page Down and Up, d and u the arrows, l the left arrow, w and a delta the wheel,
// e and a dispatch id a browser event; a '.' after a key or the wheel means the page gets it.
void RunSteps(const char* steps, CFakePage& page, CPageOver& pageOver, const data::CDataSetHtmlView1& settings) {
    std::istringstream in(steps);
    std::string step;
    while (in >> step) {
        std::istringstream parts(step);
        char colon = 0;
        char kind = 0;
        parts >> page.now >> colon >> kind;
        const char* keys = "NPdul";
        const UINT vks[] = {VK_NEXT, VK_PRIOR, VK_DOWN, VK_UP, VK_LEFT};
        int number = 0;
        bool handled = false;
        if (kind == 'e' && parts >> number) {
            if (const auto event = BrowserEventFromDispId(number)) {
                pageOver.OnBrowserEvent(*event);
            }
            continue;
        }
        if (kind == 'w' && parts >> number) {
            handled = pageOver.OnWheel(number, settings);
        } else if (const char* key = std::strchr(keys, kind); key && kind) {
            handled = pageOver.OnKeyDown(vks[key - keys], settings);
        } else {
            ADD_FAILURE() << "bad step " << step;
        }
        EXPECT_EQ(handled, parts.peek() != '.') << step;
    }
}

TEST(PageOverTest, CountsPressesAtTheEdgesAndMoves) {
    const struct {
        const char* what;
        uint32_t repeat;
        const char* steps;
        const char* moves;
        unsigned arrange = 0;
    } cases[] = {
        {"the sixth press within 600 ms moves", 5, "0:N 100:N 200:N 300:N 400:N 999:N", "999F"},
        {"a 600 ms pause starts again", 2, "0:N 100:N 700:N 800:d 1399:N", "1399F"},
        {"a press the other way starts again", 1, "0:N 10:P", "", kShortPage},
        {"repeat 0 moves at once; 300 ms of lock", 0, "0:N 1:N 299:l. 299:N 300:N", "0F 300F"},
        {"not at an edge", 0, "0:N. 0:P.", "", kMiddle},
        {"quirks mode scrolls the body", 0, "0:d. 0:u", "0B", kQuirks},
        {"a scrolling division keeps its keys", 0, "0:N.", "", kInDivision},
        {"a frame keeps its keys", 0, "0:N.", "", kInFrame},
        {"a disabled source", 0, "0:N. 0:d", "0F", kPageKeysOff},
        {"nopgov1 with the index shown", 0, "0:N.", "", kNoPageOverOff | kIndexShown},
        {"nopgov1 with the pane hidden", 0, "0:N", "0F", kNoPageOverOff},
        {"the index shown without nopgov1", 0, "0:N", "0F", kIndexShown},
        {"no contents tree", 0, "0:e250 0:N. 0:w-120.", "", kNoTree},
        {"a navigation swallows until it completes", 0, "0:e250 0:N 0:w-120 0:e259 0:N", "0F"},
        {"... or fails", 0, "0:e250 0:N 0:e271 0:N", "0F"},
        {"... or ends as a download", 0, "0:e250 0:N 0:e104 0:N", "0F"},
        {"other events leave it navigating", 0, "0:e250 0:e113 0:N", ""},
        {"one wheel press per 120 units", 1, "0:w0. 10:w-40 20:w-40 30:w-40 40:w-119 50:w-1", "50F"},
        {"the wheel's other way drops the sum", 0, "0:w-100 10:w30 20:w-100 30:w-20", "30F", kShortPage},
        {"a wheel pause drops the sum; a spin moves once", 0, "0:w-100 600:w-100 700:w-360 710:w-120 1000:w-120",
         "700F 1000F"},
    };
    for (const auto& c : cases) {
        CFakePage page;
        data::CDataSetHtmlView1 settings;
        for (auto& rule : settings.rules) {
            rule.repeat = c.repeat;
        }
        if (c.arrange & kShortPage) {
            page.root.scroll = ScrollState{0, 100, 100};
        }
        if (c.arrange & kMiddle) {
            page.root.scroll->top = 100;
        }
        if (c.arrange & kQuirks) {
            page.compatMode = L"BackCompat";
            page.body.scroll = ScrollState{0, 100, 300};
        }
        if (c.arrange & (kInDivision | kInFrame)) {
            page.active = &page.link;
        }
        if (c.arrange & kInFrame) {
            page.division.hostsDocument = true;
            page.division.scroll.reset();
        }
        settings.Rule(data::PageOverMethod::PageKey).enable = !(c.arrange & kPageKeysOff);
        settings.noPageOverOffContents = c.arrange & kNoPageOverOff;
        if (c.arrange & kIndexShown) {
            page.shownPage = NaviPageKind::Index;
        }
        page.hasTree = !(c.arrange & kNoTree);
        CPageOver pageOver(page, page, page);
        SCOPED_TRACE(c.what);
        RunSteps(c.steps, page, pageOver, settings);
        EXPECT_EQ(page.moves, c.moves);
    }
}

TEST(TopicPageTest, ScrollsTheElementOfTheRenderingMode) {
    const struct {
        const wchar_t* compat;
        bool toBottom;
        bool ok;
        long rootTop;
        long bodyTop;
    } cases[] = {
        {L"CSS1Compat", true, true, 200, 7},
        {L"BACKCOMPAT", false, true, 50, 0},
        {L"BackCompat", true, false, 50, 7}, // the body is shorter than its window
        {L"other", false, false, 50, 7},
    };
    for (const auto& c : cases) {
        CFakePage page;
        page.compatMode = c.compat;
        page.root.scroll->top = 50;
        page.body.scroll = ScrollState{7, 100, 60};
        EXPECT_EQ(c.toBottom ? ScrollPageToBottom(page) : ScrollPageToTop(page), c.ok) << c.compat;
        EXPECT_EQ(page.root.scroll->top, c.rootTop) << c.compat;
        EXPECT_EQ(page.body.scroll->top, c.bodyTop) << c.compat;
    }
}

TEST(TopicPageTest, DescribesElementsAndFindsTheirLinks) {
    Node area{L"AREA", {{L"href", L"map.htm"}}};
    Node anchor{L"A", {{L"name", L"top"}}, &area};
    Node link{L"A", {{L"href", L"b.htm"}, {L"title", L"t"}}, &anchor};
    Node image{L"IMG", {{L"id", L"pic"}, {L"name", L""}}, &link};
    Node full{L"INPUT", {{L"href", L"h"}, {L"id", L"i"}, {L"name", L"n"}}};
    const struct {
        Node* element;
        const wchar_t* text;
        const wchar_t* link;
    } cases[] = {
        {&link, L"<A href=\"b.htm\" />", L"b.htm"},
        {&image, L"<IMG id=\"pic\" />", L"b.htm"},
        {&anchor, L"<A name=\"top\" />", L"map.htm"},
        {&full, L"<INPUT name=\"n\" id=\"i\" href=\"h\" />", L""},
    };
    for (const auto& c : cases) {
        const CFakeElement element(c.element);
        EXPECT_EQ(DescribeElement(element), c.text);
        EXPECT_EQ(FindLinkAddress(element), c.link) << c.text;
    }
}

TEST(TopicZoomTest, StepsSnapsAndCyclesTheTextSize) {
    enum class Op { In, Out, Set };
    const struct {
        std::optional<int32_t> range;
        long current;
        Op op;
        long value;
        bool ok;
        long written;
    } cases[] = {
        {MAKELONG(10, 1000), 100, Op::In, 0, true, 110},  {MAKELONG(10, 1000), 100, Op::Out, 0, true, 90},
        {MAKELONG(10, 1000), 105, Op::Out, 0, true, 100}, {MAKELONG(10, 1000), 1000, Op::In, 0, true, 1000},
        {MAKELONG(25, 400), 30, Op::Out, 0, true, 25},    {MAKELONG(10, 1000), 0, Op::Set, 37, true, 30},
        {MAKELONG(100, 100), 100, Op::In, 0, false, 0},   {std::nullopt, 100, Op::In, 0, false, 0},
        {MAKELONG(10, 1000), -1, Op::Out, 0, false, 0},
    };
    for (const auto& c : cases) {
        CFakePage page;
        page.zoomRange = c.range;
        page.zoom = c.current;
        const bool ok = c.op == Op::In ? ZoomIn(page) : c.op == Op::Out ? ZoomOut(page) : SetZoom(page, c.value);
        EXPECT_EQ(ok, c.ok) << c.current << " " << c.value;
        EXPECT_EQ(page.written, c.ok ? std::vector<long>{c.written} : std::vector<long>{}) << c.current;
    }

    CFakePage page;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(CycleTextSize(page));
    }
    EXPECT_EQ(page.written, (std::vector<long>{1, 2, 3, 4, 0}));
    page.textSize = 5;
    EXPECT_FALSE(CycleTextSize(page));
    EXPECT_FALSE(SetTextSize(page, 5));
    EXPECT_EQ(page.written.size(), 5u);
}

TEST(MenuItemsTest, TidiesSeparatorsOfARealMenu) {
    // '-' a separator, a letter an item.
    const struct {
        const char* before;
        const char* after;
    } cases[] = {{"-a", "a"}, {"a--b", "a-b"}, {"a-", "a"}, {"--a---b-c--", "a-b-c"}, {"-", ""}, {"", ""}};
    for (const auto& c : cases) {
        const HMENU menu = ::CreatePopupMenu();
        ASSERT_NE(menu, nullptr);
        for (const char* p = c.before; *p; ++p) {
            const wchar_t text[2] = {static_cast<wchar_t>(*p), 0};
            ::AppendMenuW(menu, *p == '-' ? MF_SEPARATOR : MF_STRING, static_cast<UINT_PTR>(*p), text);
        }
        CMenuItems items(menu);
        EXPECT_TRUE(TidySeparators(items)) << c.before;
        std::string after;
        for (int i = 0; i < items.Count(); ++i) {
            after += items.IsSeparator(i) ? '-' : static_cast<char>(::GetMenuItemID(menu, i));
        }
        EXPECT_EQ(after, c.after) << c.before;
        ::DestroyMenu(menu);
    }
}

TEST(NaviPagesTest, KindsFollowTheMnemonicOfTheLabels) {
    using K = NaviPageKind;
    const struct {
        const wchar_t* label;
        NaviPageKind kind;
    } cases[] = {{L"&Contents", K::Contents}, {L"I&ndex", K::Index},
                 {L"&Search", K::Search},     {L"Favor&ites", K::Favorites},
                 {L"目次(&C)", K::Contents},  {L"キーワード(&N)", K::Index},
                 {L"検索(&S)", K::Search},    {L"お気に入り(&I)", K::Favorites},
                 {L"&contents", K::Contents}, {L"Index", K::None},
                 {L"Search&", K::None},       {L"&&Search", K::None}};
    for (const auto& c : cases) {
        EXPECT_EQ(NaviPageKindFromLabel(c.label), c.kind) << c.label;
    }
    CNaviPageKinds kinds;
    EXPECT_EQ(kinds.KindAt(0), K::None); // before the first rebuild
    kinds.Rebuild({L"&Contents", L"I&ndex", L"&Search", L"Favor&ites"});
    EXPECT_EQ(kinds.KindAt(3), K::Favorites);
    EXPECT_EQ(kinds.KindAt(4), K::None);
    EXPECT_EQ(kinds.KindAt(-1), K::None);
    EXPECT_EQ(kinds.FirstTabOf(K::Search), 2);
    EXPECT_EQ(NaviPageCommand(K::Search), 0x9002u);
    kinds.Rebuild({L"&Contents", L"I&ndex"});
    EXPECT_EQ(kinds.FirstTabOf(K::Search), -1);
    EXPECT_EQ(kinds.KindAt(2), K::None);
    // The tab commands: next and previous, wrapping at the ends only when asked.
    EXPECT_EQ(NextNaviTab(3, 4, true), 0);
    EXPECT_EQ(NextNaviTab(3, 4, false), 3);
    EXPECT_EQ(PreviousNaviTab(0, 4, true), 3);
    EXPECT_EQ(PreviousNaviTab(0, 4, false), 0);
}

// The top level of a menu: commands, 0 for a separator, -1 for a submenu.
std::vector<int> TopLevel(HMENU menu) {
    std::vector<int> ids;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        ids.push_back(static_cast<int>(::GetMenuItemID(menu, i)));
    }
    return ids;
}

TEST(TopicMenuTest, EachContextHasItsRowsAndBrowserRowsOnlyWhereTheBrowserHasThem) {
    const CHHMenu::BrowserTexts browser = [](UINT) { return std::optional<std::wstring>(L"B"); };
    const CHHMenu::BrowserTexts none = [](UINT) { return std::optional<std::wstring>(); };
    const struct {
        int context;
        bool browserTexts;
        TopicMenuChoice choice;
        std::vector<int> rows;
    } cases[] = {
        {0,
         true,
         TopicMenuChoice::Program,
         {-1, -1, 0xD001, ID_SHOW_FULL, 0, ID_OPEN_NEW_WINDOW, 0xD202, -1, 0, 67, 27, 2139, 0, 28, ID_SETTING_TOPIC}},
        {0,
         false,
         TopicMenuChoice::Program,
         {-1, -1, 0xD001, ID_SHOW_FULL, 0, ID_OPEN_NEW_WINDOW, 0xD202, -1, 0, 67, 27, 0, ID_SETTING_TOPIC}},
        {1, true, TopicMenuChoice::Program, {2137, -1, 0, 2262, 0, 28}},
        {1, false, TopicMenuChoice::Program, {2137, -1}},
        {2, true, TopicMenuChoice::Program, {43, 0, 16, 15, 26, 17, 0, 31}},
        {2, false, TopicMenuChoice::Program, {}}, // nothing of the browser's own: no menu at all
        {4, false, TopicMenuChoice::Program, {27}},
        {5, true, TopicMenuChoice::Program, {2137, -1, 0, 15, 2262, 0, 28}},
        {3, true, TopicMenuChoice::None, {}},
        {10, true, TopicMenuChoice::Browser, {}},
        {11, true, TopicMenuChoice::Browser, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseTopicMenu(c.context), c.choice) << c.context;
        CHHMenu menu;
        const bool built = BuildTopicMenu(menu, c.context, c.browserTexts ? browser : none);
        EXPECT_EQ(built, c.choice == TopicMenuChoice::Program) << c.context;
        EXPECT_EQ(built ? TopLevel(menu.Get()) : std::vector<int>{}, c.rows) << c.context << " " << c.browserTexts;
    }
}

TEST(TopicMenuTest, ShowsTheTextSizeTheLinkAndThePane) {
    CHHMenu page;
    CHHMenu link;
    ASSERT_TRUE(BuildTopicMenu(page, 0, {}));
    ASSERT_TRUE(BuildTopicMenu(link, 5, {}));
    const auto checked = [&](UINT command) {
        return (::GetMenuState(page.Get(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    const auto enabled = [](HMENU menu, UINT command) {
        return (::GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    };
    ApplyTopicMenuState(page.Get(), {2, false, true, true});
    EXPECT_TRUE(checked(2143));
    EXPECT_TRUE(checked(0xD001));
    ApplyTopicMenuState(page.Get(), {4, false, true, false});
    EXPECT_FALSE(checked(2143));
    EXPECT_TRUE(checked(2145));
    EXPECT_FALSE(checked(0xD001));
    EXPECT_TRUE(enabled(page.Get(), 0xD001));
    ApplyTopicMenuState(page.Get(), {std::nullopt, false, false, false});
    EXPECT_FALSE(checked(2145));
    EXPECT_FALSE(enabled(page.Get(), 0xD001));
    for (const bool openable : {false, true}) {
        ApplyTopicMenuState(link.Get(), {std::nullopt, openable, true, true});
        for (const UINT command : {kTopicLinkOpen, kTopicLinkNewWindow, kTopicLinkConfirm}) {
            EXPECT_EQ(enabled(link.Get(), command), openable) << command;
        }
    }
}

class CMenuRecorder final : public ITopicMenuHost {
public:
    std::vector<int> contexts;
    void ShowTopicMenu(int context, POINT, IDispatch*) override { contexts.push_back(context); }
};

TEST(TopicHandlerTest, AnswersTheBrowserAsTheDocumentHost) {
    CMenuRecorder recorder;
    auto* handler = new CHHHtmlHandler(&recorder);
    POINT at{10, 20};
    const struct {
        DWORD context;
        POINT* at;
        HRESULT result;
    } menus[] = {{0, &at, S_OK},     {5, &at, S_OK}, {10, &at, S_FALSE},
                 {11, &at, S_FALSE}, {3, &at, S_OK}, {0, nullptr, S_OK}};
    for (const auto& m : menus) {
        EXPECT_EQ(handler->ShowContextMenu(m.context, m.at, nullptr, nullptr), m.result) << m.context;
    }
    EXPECT_EQ(recorder.contexts, (std::vector<int>{0, 5})); // only the contexts with a program menu
    IDropTarget* replacement = reinterpret_cast<IDropTarget*>(1);
    EXPECT_EQ(handler->GetDropTarget(nullptr, &replacement), S_OK);
    EXPECT_EQ(replacement, nullptr);
    EXPECT_EQ(handler->GetHostInfo(nullptr), S_OK);
    EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(handler->TranslateAccelerator(nullptr, nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(handler->GetExternal(nullptr), E_NOTIMPL);
    IOleCommandTarget* target = nullptr;
    ASSERT_EQ(handler->QueryInterface(__uuidof(IOleCommandTarget), reinterpret_cast<void**>(&target)), S_OK);
    EXPECT_EQ(target->Exec(nullptr, CHHHtmlHandler::kHandledCommand, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(target->Exec(nullptr, 11, 0, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(target->QueryStatus(nullptr, 0, nullptr, nullptr), E_NOTIMPL);
    target->Release();
    handler->Detach();
    EXPECT_EQ(handler->ShowContextMenu(0, &at, nullptr, nullptr), S_OK);
    EXPECT_EQ(recorder.contexts.size(), 2u); // a detached handler shows nothing
    EXPECT_EQ(handler->Release(), 0u);
}

TEST(TopicRecordTest, TellsTheModeAndTheActiveLink) {
    CFakePage page;
    page.link.attributes[L"href"] = L"https://example.org/a.chm";
    page.active = &page.link;
    const transfer::CPropTopic record =
        CHHHtmlView::BuildTopicRecord(page, L"https://example.org/b.htm", L"Title", L"utf-8");
    EXPECT_EQ(record.mode, 2u);
    EXPECT_EQ(record.activeTag, L"<A href=\"https://example.org/a.chm\" />");
    EXPECT_EQ(record.title, L"Title");
    EXPECT_FALSE(record.address.IsUnknown());
    page.compatMode = L"BackCompat";
    page.active = nullptr;
    const transfer::CPropTopic quirks = CHHHtmlView::BuildTopicRecord(page, L"", L"", L"");
    EXPECT_EQ(quirks.mode, 1u);
    EXPECT_EQ(quirks.activeTag, L"");
}

} // namespace
} // namespace viewer
