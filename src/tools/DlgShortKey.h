#pragma once
// The shortcut-key window: which key runs which function in each place, and changing it. It edits the
// shortcut-key store only; the store's views build the key tables.

#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "tools/DlgTool.h"
#include "win/Subclass.h"

#include "resource.h"

#include <optional>

namespace tools {

// The key field: a key pressed in it becomes the captured key when the store allows that combination. Typing
// never edits its text, and while it has the focus it sees every key first (Tab, Enter, Escape, Alt+F4, F11).
class CEditShortKey : public win::CSubclassWindow {
public:
    [[nodiscard]] const std::optional<data::KeyBinding>& Captured() const noexcept { return m_captured; }
    void Show(const std::optional<data::KeyBinding>& key);
    // The combination a key press makes with the modifiers held now.
    [[nodiscard]] static data::KeyBinding FromKey(WPARAM key);

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::optional<data::KeyBinding> m_captured;
};

// The functions of one place with their keys; each row's data is the command.
class CListShortFunc {
public:
    bool Init(HWND list);
    // Rows for the place's functions, with the keys the store holds; the first row selected.
    void Fill(const data::CDataShortkey& store, data::Place place);
    // Column 1 again from the store.
    void RewriteKeys(const data::CDataShortkey& store, data::Place place) const;
    [[nodiscard]] int Selected() const;
    [[nodiscard]] uint16_t CommandAt(int row) const;
    [[nodiscard]] int RowOf(uint16_t command) const;
    void Select(int row) const;
    [[nodiscard]] int Count() const;
    [[nodiscard]] std::wstring TextAt(int row) const;
    [[nodiscard]] HWND Handle() const noexcept { return m_list; }

private:
    HWND m_list = nullptr;
};

class CDlgShortKey : public CDlgToolT<CDlgShortKey> {
public:
    static constexpr wchar_t kLayoutName[] = L"shortkey";
    static constexpr ToolAnchor kAnchors[] = {
        {IDC_SK_PLACE, win::CResizeAnchors::kSizeX},
        {IDC_SK_MENU, win::CResizeAnchors::kMoveX},
        {IDC_SK_LIST, win::CResizeAnchors::kSizeX | win::CResizeAnchors::kSizeY},
        {IDC_SK_FUNC_LABEL, win::CResizeAnchors::kMoveY},
        {IDC_SK_FUNC, win::CResizeAnchors::kMoveY | win::CResizeAnchors::kSizeX},
        {IDC_SK_KEY_LABEL, win::CResizeAnchors::kMoveY},
        {IDC_SK_KEY, win::CResizeAnchors::kMoveY | win::CResizeAnchors::kSizeX},
        {IDC_SK_HINT, win::CResizeAnchors::kMoveX | win::CResizeAnchors::kMoveY},
        {IDC_SK_SEARCH, win::CResizeAnchors::kMoveX | win::CResizeAnchors::kMoveY},
        {IDC_SK_SET, win::CResizeAnchors::kMoveX | win::CResizeAnchors::kMoveY},
        {IDC_SK_REMOVE, win::CResizeAnchors::kMoveX | win::CResizeAnchors::kMoveY},
    };
    // The store's reload, reset and import.
    static constexpr UINT kStoreEvent = WM_APP + 3;

    CDlgShortKey(data::CDataLayout& layout, data::CDataShortkey& store, const data::CDataSetting& setting,
                 std::wstring execDir);

    [[nodiscard]] data::Place CurrentPlace() const noexcept { return m_place; }

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    bool OnInitTool() override;
    void OnDestroyTool() override;
    void StoreExtra(data::CDataWindow& record) const override;
    void ApplyExtra(const data::CDataWindow& record) override;

private:
    bool FillPlaces();
    // Shows the functions of the place selected in the drop-down list.
    void LoadSelectedPlace();
    void RefreshDetail();
    void UpdateButtons();
    void OnSearch();
    void OnSet();
    void OnRemove();
    void OnMenuButton();
    void OnReset(bool all);
    void OnExport();
    void OnImport();
    void OnStoreEvent();
    void ShowError(UINT id, const std::wstring& detail = {}) const;

    data::CDataShortkey& m_store;
    const data::CDataSetting& m_setting;
    std::wstring m_execDir;
    CListShortFunc m_list;
    CEditShortKey m_key;
    HWND m_tip = nullptr;
    data::Place m_place = data::Place::Main;
    bool m_subscribed = false;
};

} // namespace tools
