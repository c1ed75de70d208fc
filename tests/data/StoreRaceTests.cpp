// Several real processes editing one store of one data folder at the same time: no edit may be lost.

#include "DataTestSupport.h"
#include "common/HelperMode.h"
#include "data/DataHistory.h"
#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "data/DataUrls.h"

#include <random>

namespace {

using data::NodePosition;
using data::Place;

constexpr int kRacers = 4;
// Four racers times this stays within the smallest limit a raced store has (20 addresses).
constexpr int kEditsPerRacer = 5;
constexpr uint8_t kAllModifiers = data::kKeyVirtual | data::kKeyShift | data::kKeyControl | data::kKeyAlt;

std::wstring EditName(int racer, int edit) {
    return L"racer" + std::to_wstring(racer) + L"-" + std::to_wstring(edit);
}

// The view function an edit binds, each edit its own, and the key it binds it to.
const data::FunctionRow& RacedFunction(int racer, int edit) {
    return *data::FunctionsOfPlace(Place::View).at(static_cast<size_t>(racer * kEditsPerRacer + edit));
}
uint16_t RacedKey(int racer, int edit) {
    return static_cast<uint16_t>('A' + racer * kEditsPerRacer + edit);
}

// The stores of one instance; every racer reads them once at its start, as an instance does.
struct Instance {
    explicit Instance(const std::wstring& folder) {
        settings.SetFolder(folder);
        history.SetFolder(folder);
        library.SetFolder(folder);
        urls.SetFolder(folder);
        keys.SetFolder(folder);
    }
    bool ReloadAll() {
        return settings.Reload() && history.Reload() && library.Reload() && urls.Reload() && keys.Reload();
    }

    data::CDataSetting settings;
    data::CDataHistory history{settings};
    data::CDataLibrary library;
    data::CDataUrls urls{settings};
    data::CDataShortkey keys;
};

// Settings sections are replaced whole, so each racer owns one section and its last edit must be there.
bool EditSettings(Instance& instance, int racer, int edit) {
    const std::wstring name = EditName(racer, edit);
    switch (racer) {
    case 0: {
        data::CDataSetDocView docView = instance.settings.GetDocView();
        docView.file.path = L"C:\\" + name + L".chm";
        return instance.settings.SetDocView(docView);
    }
    case 1: {
        data::CDataSetFileDlg fileDlg = instance.settings.GetFileDlg();
        fileDlg.doc.folder = L"C:\\" + name;
        return instance.settings.SetFileDlg(fileDlg);
    }
    case 2: {
        data::CDataSetComm comm = instance.settings.GetComm();
        comm.timeout = static_cast<uint32_t>(data::CDataSetComm::kMinTimeout + edit);
        return instance.settings.SetComm(comm);
    }
    default: {
        data::CDataSetDocLib docLib = instance.settings.GetDocLib();
        docLib.openHide = edit % 2 == 0;
        return instance.settings.SetDocLib(docLib);
    }
    }
}

bool SettingsHold(Instance& instance, int racer, int edit) {
    if (edit != kEditsPerRacer - 1) {
        return true; // replaced by the racer's own later edit
    }
    const std::wstring name = EditName(racer, edit);
    switch (racer) {
    case 0:
        return instance.settings.GetDocView().file.path == L"C:\\" + name + L".chm";
    case 1:
        return instance.settings.GetFileDlg().doc.folder == L"C:\\" + name;
    case 2:
        return instance.settings.GetComm().timeout == data::CDataSetComm::kMinTimeout + edit;
    default:
        return instance.settings.GetDocLib().openHide == (edit % 2 == 0);
    }
}

bool HistoryHolds(Instance& instance, int racer, int edit) {
    for (const data::NodeHandle handle : instance.history.List()) {
        data::CDataDoc doc;
        if (instance.history.GetDoc(handle, doc) && doc.title == EditName(racer, edit)) {
            return true;
        }
    }
    return false;
}

bool LibraryHolds(Instance& instance, int racer, int edit) {
    std::vector<data::NodeHandle> children;
    if (!instance.library.ListChildren(instance.library.GetRoot(), children)) {
        return false;
    }
    for (const data::NodeHandle child : children) {
        std::wstring title;
        if (instance.library.GetFolderTitle(child, title) && title == EditName(racer, edit)) {
            return true;
        }
    }
    return false;
}

bool UrlsHold(Instance& instance, int racer, int edit) {
    std::vector<data::UrlHandle> handles;
    instance.urls.List(handles);
    for (const data::UrlHandle handle : handles) {
        data::CDataUrl url;
        if (instance.urls.Get(handle, url) && url.address == L"http://race.test/" + EditName(racer, edit)) {
            return true;
        }
    }
    return false;
}

bool KeysHold(Instance& instance, int racer, int edit) {
    data::KeyBinding found;
    return instance.keys.FindByCommand(Place::View, RacedFunction(racer, edit).id, found) &&
           found.key == RacedKey(racer, edit) && found.flags == kAllModifiers;
}

const struct RacedStore {
    const wchar_t* name;
    bool (*edit)(Instance&, int racer, int edit);
    bool (*holds)(Instance&, int racer, int edit);
} kRacedStores[] = {
    {L"history",
     [](Instance& i, int racer, int edit) {
         return i.history.Add(FileDoc(EditName(racer, edit), L"C:\\race\\" + EditName(racer, edit) + L".chm"));
     },
     HistoryHolds},
    {L"library",
     [](Instance& i, int racer, int edit) {
         return i.library.AddFolder(EditName(racer, edit), i.library.GetRoot(), NodePosition::End()) != data::kNoNode;
     },
     LibraryHolds},
    {L"urls",
     [](Instance& i, int racer, int edit) {
         data::CDataUrl url;
         url.address = L"http://race.test/" + EditName(racer, edit);
         return i.urls.Add(url);
     },
     UrlsHold},
    {L"keys",
     [](Instance& i, int racer, int edit) {
         return i.keys.SetBinding(Place::View, {kAllModifiers, RacedKey(racer, edit), RacedFunction(racer, edit).id});
     },
     KeysHold},
    {L"settings", EditSettings, SettingsHold},
};

const RacedStore* FindRacedStore(std::wstring_view name) {
    for (const RacedStore& store : kRacedStores) {
        if (name == store.name) {
            return &store;
        }
    }
    return nullptr;
}

// One racing instance: argv = folder, store, racer id, start event. Waits for the start, then makes its edits
// with short random pauses between them.
int StoreRacer(int argc, wchar_t** argv) {
    if (argc < 4) {
        return 2;
    }
    const RacedStore* store = FindRacedStore(argv[1]);
    const int racer = _wtoi(argv[2]);
    const HANDLE start = ::OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!store || !start) {
        return 3;
    }
    Instance instance(argv[0]);
    const bool loaded = instance.ReloadAll();
    const DWORD waited = ::WaitForSingleObject(start, 30000);
    ::CloseHandle(start);
    if (!loaded || waited != WAIT_OBJECT_0) {
        return 4;
    }
    std::mt19937 random(static_cast<unsigned>(::GetCurrentProcessId()));
    std::uniform_int_distribution<DWORD> pause(0, 15);
    for (int edit = 0; edit < kEditsPerRacer; ++edit) {
        ::Sleep(pause(random));
        if (!store->edit(instance, racer, edit)) {
            return 10 + edit;
        }
    }
    return 0;
}
FOLIVEX_TEST_HELPER(L"store-racer", StoreRacer);

TEST(StoreRace, EveryEditOfInstancesRacingOnOneStoreReachesTheFile) {
    for (const RacedStore& store : kRacedStores) {
        CTempFolder folder;
        const std::wstring eventName = UniqueName(L"folivex store race");
        const HANDLE start = ::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
        ASSERT_NE(start, nullptr);
        CHelperProcess racers[kRacers];
        for (int racer = 0; racer < kRacers; ++racer) {
            ASSERT_TRUE(
                racers[racer].Start(L"store-racer", {folder.Path(), store.name, std::to_wstring(racer), eventName}));
        }
        ::SetEvent(start);
        for (CHelperProcess& racer : racers) {
            EXPECT_EQ(racer.Wait(), 0) << store.name;
        }
        ::CloseHandle(start);

        Instance reader(folder.Path());
        ASSERT_TRUE(reader.ReloadAll()) << store.name;
        std::wstring lost;
        for (int racer = 0; racer < kRacers; ++racer) {
            for (int edit = 0; edit < kEditsPerRacer; ++edit) {
                if (!store.holds(reader, racer, edit)) {
                    lost += L" " + EditName(racer, edit);
                }
            }
        }
        EXPECT_EQ(lost, L"") << store.name;
    }
}

} // namespace
