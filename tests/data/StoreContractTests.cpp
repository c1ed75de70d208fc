// What every store promises about its file: what it writes it can read again; text it could not write is refused
// before anything changes; and instances racing on one store lose no edit (the two tree stores are raced, the
// others go through the same locked edit of the file).

#include "DataTestSupport.h"
#include "data/DataHistory.h"
#include "data/DataLayout.h"
#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "data/DataUrls.h"
#include "win/Strings.h"
#include "common/HelperMode.h"

#include <functional>
#include <random>

namespace {

using data::NodePosition;

// The six stores of one instance in one data folder.
struct Stores {
    explicit Stores(const std::wstring& folder) {
        for (xml::CXmlStore* store : All()) {
            store->SetFolder(folder);
        }
    }
    static constexpr size_t kCount = 6;
    std::vector<xml::CXmlStore*> All() { return {&settings, &history, &library, &urls, &layout, &keys}; }

    data::CDataSetting settings;
    data::CDataHistory history{settings};
    data::CDataLibrary library;
    data::CDataUrls urls{settings};
    data::CDataLayout layout;
    data::CDataShortkey keys;
};

// Defaults and a reset (which leaves every container a store writes empty): each store's written text loads into
// another store of its kind, which writes the very same text again.
TEST(StoreContract, WhatEveryStoreWritesReadsBackEqual) {
    const struct {
        const wchar_t* state;
        std::function<bool(Stores&, size_t)> make;
    } states[] = {
        {L"defaults", [](Stores& s, size_t i) { return s.All()[i]->Reload(); }},
        {L"reset", [](Stores& s, size_t i) { return s.All()[i]->ResetAll(); }},
    };
    for (const auto& state : states) {
        for (size_t i = 0; i < Stores::kCount; ++i) {
            CTempFolder folder;
            Stores stores(folder.Path());
            xml::CXmlStore& store = *stores.All()[i];
            ASSERT_TRUE(state.make(stores, i)) << state.state << L" " << store.GetFileName();
            const std::wstring exported = folder.File(L"export.xml");
            ASSERT_TRUE(store.Export(exported)) << store.GetFileName();
            Stores other(folder.Path());
            xml::CXmlStore& copy = *other.All()[i];
            EXPECT_TRUE(copy.LoadFile(exported))
                << state.state << L" " << store.GetFileName() << L": " << copy.GetError() << L"\n"
                << win::Utf8ToWide(ReadBytes(exported));
            const std::wstring again = folder.File(L"again.xml");
            ASSERT_TRUE(copy.Export(again));
            EXPECT_EQ(ReadBytes(again), ReadBytes(exported)) << state.state << L" " << store.GetFileName();
        }
    }
}

// Text a data file cannot carry: a character XML does not allow, a surrogate without its partner, and a tab,
// which comes back from an attribute as a blank.
const std::wstring kUnsavable[] = {L"x\xFFFFy", L"x\xD800y", L"x\x0001y", L"x\ty"};

// Every operation that takes free text refuses such text before it touches the store or its file, and the next
// edit with good text is saved as usual.
TEST(StoreContract, TextThatCannotBeSavedIsRefusedBeforeAnythingChanges) {
    const struct {
        const wchar_t* label;
        size_t store; // index in Stores::All()
        std::function<bool(Stores&, const std::wstring&)> edit;
    } edits[] = {
        {L"settings start-up file", 0,
         [](Stores& s, const std::wstring& text) {
             data::CDataSetDocView docView = s.settings.GetDocView();
             docView.file.path = L"C:\\" + text + L".chm";
             return s.settings.SetDocView(docView);
         }},
        {L"history title", 1,
         [](Stores& s, const std::wstring& text) { return s.history.Add(FileDoc(text, L"C:\\a.chm")); }},
        {L"library folder", 2,
         [](Stores& s, const std::wstring& text) {
             return s.library.AddFolder(text, s.library.GetRoot(), NodePosition::End()) != data::kNoNode;
         }},
        {L"library pasted text", 2,
         [](Stores& s, const std::wstring& text) {
             // Only text that reads as XML reaches the check; the platform reader refuses the other kinds itself.
             const std::string xmlText =
                 "<doc><file>" + win::WideToUtf8(text == L"ok" ? text : L"x\ty") + "</file></doc>";
             return s.library.InsertXml(xmlText, s.library.GetRoot(), NodePosition::End()) != data::kNoNode;
         }},
        {L"URL", 3,
         [](Stores& s, const std::wstring& text) {
             data::CDataUrl url;
             url.address = L"http://h/" + text;
             return s.urls.Add(url);
         }},
        {L"layout window name", 4,
         [](Stores& s, const std::wstring& text) {
             data::CDataWindow window;
             window.name = text;
             return s.layout.Set(window) && s.layout.Save();
         }},
    };
    for (const auto& edit : edits) {
        CTempFolder folder;
        Stores stores(folder.Path());
        xml::CXmlStore& store = *stores.All()[edit.store];
        // Something to edit: a folder and a document, an address, and a saved file of the store.
        data::CDataUrl url;
        url.address = L"http://h/";
        ASSERT_NE(stores.library.AddFolder(L"f", stores.library.GetRoot(), NodePosition::End()), data::kNoNode);
        ASSERT_NE(stores.library.AddDoc(FileDoc(L"d", L"C:\\d.chm"), stores.library.GetRoot(), NodePosition::End()),
                  data::kNoNode);
        ASSERT_TRUE(stores.urls.Add(url));
        ASSERT_TRUE(edit.edit(stores, L"ok")) << edit.label;
        for (const std::wstring& text : kUnsavable) {
            std::string before;
            ASSERT_TRUE(store.SaveText(before));
            const std::string file = ReadBytes(store.GetPath());
            EXPECT_FALSE(edit.edit(stores, text)) << edit.label << L" " << testing::PrintToString(text);
            EXPECT_EQ(store.GetError(), xml::kErrorUnsavableText) << edit.label;
            std::string after;
            ASSERT_TRUE(store.SaveText(after));
            EXPECT_EQ(after, before) << edit.label;
            EXPECT_EQ(ReadBytes(store.GetPath()), file) << edit.label;
            // Nothing of the refused edit is left behind to fail this save.
            EXPECT_TRUE(edit.edit(stores, L"ok")) << edit.label << L": " << store.GetError();
        }
    }
}

using data::NodePosition;

constexpr int kRacers = 4;
constexpr int kEditsPerRacer = 5;

std::wstring EditName(int racer, int edit) {
    return L"racer" + std::to_wstring(racer) + L"-" + std::to_wstring(edit);
}

// The stores of one instance; every racer reads them once at its start, as an instance does.
struct Instance {
    explicit Instance(const std::wstring& folder) {
        settings.SetFolder(folder);
        history.SetFolder(folder);
        library.SetFolder(folder);
    }
    bool ReloadAll() { return settings.Reload() && history.Reload() && library.Reload(); }

    data::CDataSetting settings;
    data::CDataHistory history{settings};
    data::CDataLibrary library;
};

// The titles one store holds as ",a,b,": the history's documents or the library's top folders.
std::wstring Titles(Instance& i, bool history) {
    std::vector<data::NodeHandle> handles = history ? i.history.List() : std::vector<data::NodeHandle>{};
    std::wstring titles = L",";
    if (!history && !i.library.ListChildren(i.library.GetRoot(), handles)) {
        return titles;
    }
    for (const data::NodeHandle handle : handles) {
        data::CDataDoc doc;
        std::wstring title;
        if (history ? i.history.GetDoc(handle, doc) : i.library.GetFolderTitle(handle, title)) {
            titles += (history ? doc.title : title) + L",";
        }
    }
    return titles;
}

// One racing instance: argv = folder, "history" or "library", racer id, start event. Waits for the start, then
// makes its edits with short random pauses between them.
int StoreRacer(int argc, wchar_t** argv) {
    const HANDLE start = argc < 4 ? nullptr : ::OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!start) {
        return 3;
    }
    const bool history = std::wstring_view(argv[1]) == L"history";
    const int racer = _wtoi(argv[2]);
    Instance i(argv[0]);
    const bool loaded = i.ReloadAll();
    const DWORD waited = ::WaitForSingleObject(start, 30000);
    ::CloseHandle(start);
    if (!loaded || waited != WAIT_OBJECT_0) {
        return 4;
    }
    std::mt19937 random(static_cast<unsigned>(::GetCurrentProcessId()));
    std::uniform_int_distribution<DWORD> pause(0, 15);
    for (int edit = 0; edit < kEditsPerRacer; ++edit) {
        ::Sleep(pause(random));
        const std::wstring name = EditName(racer, edit);
        if (history ? !i.history.Add(FileDoc(name, L"C:\\race\\" + name + L".chm"))
                    : i.library.AddFolder(name, i.library.GetRoot(), NodePosition::End()) == data::kNoNode) {
            return 10 + edit;
        }
    }
    return 0;
}
FOLIVEX_TEST_HELPER(L"store-racer", StoreRacer);

TEST(StoreRace, EveryEditOfInstancesRacingOnOneStoreReachesTheFile) {
    for (const wchar_t* store : {L"history", L"library"}) {
        CTempFolder folder;
        const std::wstring eventName = UniqueName(L"folivex store race");
        const HANDLE start = ::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
        ASSERT_NE(start, nullptr);
        CHelperProcess racers[kRacers];
        for (int racer = 0; racer < kRacers; ++racer) {
            ASSERT_TRUE(racers[racer].Start(L"store-racer", {folder.Path(), store, std::to_wstring(racer), eventName}));
        }
        ::SetEvent(start);
        for (CHelperProcess& racer : racers) {
            EXPECT_EQ(racer.Wait(), 0) << store;
        }
        ::CloseHandle(start);

        Instance reader(folder.Path());
        ASSERT_TRUE(reader.ReloadAll()) << store;
        const std::wstring titles = Titles(reader, store == std::wstring_view(L"history"));
        std::wstring lost;
        for (int racer = 0; racer < kRacers; ++racer) {
            for (int edit = 0; edit < kEditsPerRacer; ++edit) {
                lost += titles.find(L"," + EditName(racer, edit) + L",") == std::wstring::npos ? EditName(racer, edit)
                                                                                               : L"";
            }
        }
        EXPECT_EQ(lost, L"") << store;
    }
}

} // namespace
