#pragma once
// Helpers of the data-store tests: a document record in one call, a library tree as one line, and stores
// loaded from text or read again from another store's file.

#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataLibrary.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

inline data::CDataDoc FileDoc(const std::wstring& title, const std::wstring& path, int64_t time = 0) {
    data::CDataDoc doc;
    doc.title = title;
    doc.file.path = path;
    doc.time = time;
    return doc;
}

// The tree as one line: folders as title{...}, documents by title, so order and nesting are compared at once.
inline std::wstring Outline(const data::CDataLibrary& library, data::NodeHandle folder = data::kNoNode) {
    std::vector<data::NodeHandle> children;
    EXPECT_TRUE(library.ListChildren(folder == data::kNoNode ? library.GetRoot() : folder, children));
    std::wstring text;
    for (const data::NodeHandle child : children) {
        std::wstring title;
        data::CDataDoc doc;
        text += text.empty() ? L"" : L",";
        if (library.GetFolderTitle(child, title)) {
            text += title + L'{' + Outline(library, child) + L'}';
        } else {
            EXPECT_TRUE(library.GetDoc(child, doc));
            text += doc.title;
        }
    }
    return text;
}

// Loads `body` as the store's whole file in a folder of its own; the store keeps an error text exactly when the
// load fails.
template <class Store> bool LoadsFromText(Store& store, const std::string& body) {
    CTempFolder folder;
    const bool loaded = ReloadFromText(store, folder.Path(), body);
    EXPECT_EQ(store.GetError().empty(), loaded) << body;
    return loaded;
}

// A second store (built from `args`) reading the file of the store in `folder`.
template <class Store, class... Args> std::unique_ptr<Store> Reread(const std::wstring& folder, Args&&... args) {
    auto store = std::make_unique<Store>(std::forward<Args>(args)...);
    store->SetFolder(folder);
    EXPECT_TRUE(store->Reload()) << store->GetError();
    return store;
}

// The file a store wrote is `expected`, and another store reading it exports the very same bytes.
template <class Store, class... Args>
void ExpectFileAndStableExport(const CTempFolder& folder, const std::string& expected, Args&&... args) {
    const auto reread = Reread<Store>(folder.Path(), std::forward<Args>(args)...);
    EXPECT_EQ(ReadBytes(reread->GetPath()), expected);
    ASSERT_TRUE(reread->Export(folder.File(L"export.xml")));
    EXPECT_EQ(ReadBytes(folder.File(L"export.xml")), expected);
}
