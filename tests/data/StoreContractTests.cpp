// What every store promises about its file: what it writes it can read again, and text it could not write is
// refused before anything changes, so one bad record never blocks the saves after it.

#include "DataTestSupport.h"
#include "data/DataHistory.h"
#include "data/DataLayout.h"
#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "data/DataUrls.h"
#include "win/Strings.h"

#include <functional>

namespace {

using data::NodePosition;

// The six stores of one instance in one data folder.
struct Stores {
    explicit Stores(const std::wstring& folder) {
        for (xml::CXmlStore* store : All()) {
            store->SetFolder(folder);
        }
    }
    std::vector<xml::CXmlStore*> All() { return {&settings, &history, &library, &urls, &layout, &keys}; }

    data::CDataSetting settings;
    data::CDataHistory history{settings};
    data::CDataLibrary library;
    data::CDataUrls urls{settings};
    data::CDataLayout layout;
    data::CDataShortkey keys;
};

// Empties a store through its own edits (not a reset), leaving every container it writes without content.
const std::function<bool(Stores&)> kEmptying[] = {
    [](Stores& s) {
        data::CDataSetDocView docView;
        docView.startDoc = data::StartDoc::File;
        docView.file.path = L"C:\\a.chm";
        return s.settings.SetDocView(docView) && s.settings.ResetSection(data::SettingSection::DocView);
    },
    [](Stores& s) { return s.history.Add(FileDoc(L"a", L"C:\\a.chm")) && s.history.Remove(s.history.List().at(0)); },
    [](Stores& s) {
        const data::NodeHandle folder = s.library.AddFolder(L"a", s.library.GetRoot(), NodePosition::End());
        return folder != data::kNoNode && s.library.Remove(s.library.GetRoot(), folder);
    },
    [](Stores& s) {
        data::CDataUrl url;
        url.address = L"http://a/";
        if (!s.urls.Add(url)) {
            return false;
        }
        std::vector<data::UrlHandle> handles;
        s.urls.List(handles);
        return s.urls.Delete(handles.at(0));
    },
    [](Stores& s) { return s.layout.Reset() && s.layout.Save(); },
    [](Stores& s) {
        for (const data::Place place : data::kPlaces) {
            for (const auto& [command, name] : data::CDataShortkey::ListFunctions(place)) {
                if (!s.keys.RemoveBinding(place, command)) {
                    return false;
                }
            }
        }
        return s.keys.Table(data::Place::Main)->Size() == 0;
    },
};

// Defaults, a reset and an emptied store: each store's written text loads into another store of its kind, which
// writes the very same text again.
TEST(StoreContract, WhatEveryStoreWritesReadsBackEqual) {
    const struct {
        const wchar_t* state;
        std::function<bool(Stores&, size_t)> make;
    } states[] = {
        {L"defaults", [](Stores& s, size_t i) { return s.All()[i]->Reload(); }},
        {L"reset", [](Stores& s, size_t i) { return s.All()[i]->ResetAll(); }},
        {L"emptied", [](Stores& s, size_t i) { return s.All()[i]->Reload() && kEmptying[i](s); }},
    };
    for (const auto& state : states) {
        for (size_t i = 0; i < std::size(kEmptying); ++i) {
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
        {L"settings start-up address", 0,
         [](Stores& s, const std::wstring& text) {
             data::CDataSetDocView docView = s.settings.GetDocView();
             docView.url.user = text;
             return s.settings.SetDocView(docView);
         }},
        {L"settings dialog folder", 0,
         [](Stores& s, const std::wstring& text) {
             data::CDataSetFileDlg fileDlg = s.settings.GetFileDlg();
             fileDlg.data.folder = L"C:\\" + text;
             return s.settings.SetFileDlg(fileDlg);
         }},
        {L"history title", 1,
         [](Stores& s, const std::wstring& text) { return s.history.Add(FileDoc(text, L"C:\\a.chm")); }},
        {L"history path", 1,
         [](Stores& s, const std::wstring& text) { return s.history.Add(FileDoc(L"t", L"C:\\" + text + L".chm")); }},
        {L"library folder", 2,
         [](Stores& s, const std::wstring& text) {
             return s.library.AddFolder(text, s.library.GetRoot(), NodePosition::End()) != data::kNoNode;
         }},
        {L"library document note", 2,
         [](Stores& s, const std::wstring& text) {
             data::CDataDoc doc = FileDoc(L"t", L"C:\\a.chm");
             doc.note = text;
             return s.library.AddDoc(doc, s.library.GetRoot(), NodePosition::End()) != data::kNoNode;
         }},
        {L"library rename", 2,
         [](Stores& s, const std::wstring& text) {
             std::vector<data::NodeHandle> children;
             return s.library.ListChildren(s.library.GetRoot(), children) && !children.empty() &&
                    s.library.RenameFolder(children.front(), text);
         }},
        {L"library set document", 2,
         [](Stores& s, const std::wstring& text) {
             std::vector<data::NodeHandle> children;
             data::CDataDoc doc;
             doc.url.address = L"http://h/" + text;
             return s.library.ListChildren(s.library.GetRoot(), children) && !children.empty() &&
                    s.library.SetDoc(children.back(), doc);
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
        {L"URL update", 3,
         [](Stores& s, const std::wstring& text) {
             std::vector<data::UrlHandle> handles;
             s.urls.List(handles);
             data::CDataUrl url;
             url.address = L"http://h/";
             url.user = text;
             return !handles.empty() && s.urls.Update(handles.front(), url);
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

} // namespace
