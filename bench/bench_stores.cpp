// Times loading, saving and one edit of a large library and a full history, and sets the library load against a
// bare pass of the platform XML reader over the same file.
#include "data/DataHistory.h"
#include "data/DataLibrary.h"
#include "data/DataSetting.h"

#include "BenchTiming.h"

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 15;
constexpr int kFolders = 500;
constexpr int kDocsPerFolder = 20;
constexpr int kHistoryEntries = 100;

std::string LibraryText() {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<library>\r\n  <folder>\r\n";
    for (int f = 0; f < kFolders; ++f) {
        text += "    <folder title=\"Folder " + std::to_string(f) + " &amp; more\">\r\n";
        for (int d = 0; d < kDocsPerFolder; ++d) {
            const std::string id = std::to_string(f) + "-" + std::to_string(d);
            text += "      <doc title=\"Document " + id + "\" time=\"1700000000\" note=\"memo " + id + "\">\r\n";
            text +=
                "        <file>C:\\Documents\\Manuals\\Folder " + std::to_string(f) + "\\doc" + id + ".chm</file>\r\n";
            text += "        <topic>/html/chapter" + std::to_string(d) + "/index.htm</topic>\r\n";
            text += "      </doc>\r\n";
        }
        text += "    </folder>\r\n";
    }
    text += "  </folder>\r\n</library>";
    return text;
}

// Reads every node of the file with the platform reader, with the name and value of every attribute (the least
// any loader must look at), and keeps nothing.
bool BareXmlLitePass(const std::wstring& path) {
    IStream* stream = nullptr;
    if (FAILED(::SHCreateStreamOnFileW(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, &stream))) {
        return false;
    }
    IXmlReader* reader = nullptr;
    bool ok = SUCCEEDED(::CreateXmlReader(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr)) &&
              SUCCEEDED(reader->SetInput(stream));
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr = S_OK;
    while (ok && (hr = reader->Read(&type)) == S_OK) {
        if (type != XmlNodeType_Element) {
            continue;
        }
        for (HRESULT at = reader->MoveToFirstAttribute(); at == S_OK; at = reader->MoveToNextAttribute()) {
            const WCHAR* name = nullptr;
            const WCHAR* value = nullptr;
            ok = ok && reader->GetLocalName(&name, nullptr) == S_OK && reader->GetValue(&value, nullptr) == S_OK;
        }
        ok = ok && SUCCEEDED(reader->MoveToElement());
    }
    ok = ok && hr == S_FALSE;
    if (reader) {
        reader->Release();
    }
    stream->Release();
    return ok;
}

std::wstring MakeFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    const std::wstring folder = std::wstring(base) + L"folivex-bench-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    for (const wchar_t* name : {L"chmlib.xml", L"chmhist.xml", L"folivex.xml"}) {
        ::DeleteFileW((folder + L"\\" + name).c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
}

int Run() {
    const std::wstring folder = MakeFolder();
    const std::wstring libraryPath = folder + L"\\chmlib.xml";
    {
        std::ofstream out(libraryPath.c_str(), std::ios::binary | std::ios::trunc);
        out << LibraryText();
    }
    bool ok = true;

    const double libraryLoad = MedianMs(
        [&] {
            data::CDataLibrary library;
            library.SetFolder(folder);
            return library.Reload();
        },
        ok, kRuns);
    const double bareLoad = MedianMs([&] { return BareXmlLitePass(libraryPath); }, ok, kRuns);

    data::CDataLibrary library;
    library.SetFolder(folder);
    ok = library.Reload() && ok;
    std::vector<data::NodeHandle> folders;
    ok = library.ListChildren(library.GetRoot(), folders) && folders.size() == kFolders && ok;
    const double librarySave = MedianMs([&] { return library.SaveLocked(); }, ok, kRuns);
    int edit = 0;
    const double libraryEdit = MedianMs(
        [&] {
            return !folders.empty() &&
                   library.RenameFolder(folders[folders.size() / 2], L"Renamed " + std::to_wstring(++edit));
        },
        ok, kRuns);

    data::CDataSetting settings;
    settings.SetFolder(folder);
    data::CDataHistory history(settings);
    history.SetFolder(folder);
    data::CDataDoc doc;
    doc.title = L"Reference manual";
    doc.time = 1700000000;
    doc.file.path = L"C:\\Documents\\Manuals\\reference.chm";
    doc.topic.path = L"/html/chapter1/index.htm";
    for (int i = 0; i < kHistoryEntries; ++i) {
        ok = history.Add(doc) && ok;
    }
    const double historyLoad = MedianMs(
        [&] {
            data::CDataHistory fresh(settings);
            fresh.SetFolder(folder);
            return fresh.Reload() && fresh.GetCount() == kHistoryEntries;
        },
        ok, kRuns);
    const double historySave = MedianMs([&] { return history.SaveLocked(); }, ok, kRuns);
    const double historyEdit = MedianMs([&] { return history.Add(doc); }, ok, kRuns);

    std::printf("library: %d documents in %d folders, medians of %d runs\n", kFolders * kDocsPerFolder, kFolders,
                kRuns);
    std::printf("  load            %8.2f ms\n", libraryLoad);
    std::printf("  bare XmlLite    %8.2f ms   (load / bare = %.2f)\n", bareLoad, libraryLoad / bareLoad);
    std::printf("  save            %8.2f ms\n", librarySave);
    std::printf("  rename and save %8.2f ms\n", libraryEdit);
    std::printf("history: %d entries\n", kHistoryEntries);
    std::printf("  load            %8.2f ms\n", historyLoad);
    std::printf("  save            %8.2f ms\n", historySave);
    std::printf("  add and save    %8.2f ms\n", historyEdit);
    if (!ok) {
        std::printf("some operation failed: the figures are not meaningful\n");
    }
    RemoveFolder(folder);
    return ok ? 0 : 1;
}

} // namespace

int wmain() {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 2;
    }
    const int result = Run();
    ::CoUninitialize();
    return result;
}
