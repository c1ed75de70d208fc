#pragma once
// The dialog in which the user types an address, or picks one from the URL list, to open a document from a
// server, with the connection options stored for that address.

#include "data/DataUrls.h"
#include "transfer/Download.h"
#include "win/Dialog.h"
#include "win/Subclass.h"

#include <string>
#include <string_view>

namespace tools {

// The entry whose address is the text, letters compared without case; kNoUrl when none is. `found` receives a
// copy of the entry when there is one.
data::UrlHandle FindUrl(const data::CDataUrls& urls, std::wstring_view text, data::CDataUrl* found = nullptr);

// The address combo box: lists the URL store's addresses, newest first, each item carrying its entry's handle,
// and refills itself whenever the store reports a change.
class CListUrl : public win::CSubclassWindow {
public:
    // What the store sends the combo box after a change.
    static constexpr UINT kStoreChanged = WM_APP + 0x40;

    explicit CListUrl(data::CDataUrls& urls) noexcept : m_urls(urls) {}
    ~CListUrl() override;

    // Takes over the combo box, registers with the store and fills the list.
    [[nodiscard]] bool Attach(HWND combo);
    // Rebuilds the list from the store, keeping the text the user typed.
    [[nodiscard]] bool Refill();
    // The handle of the selected item, or kNoUrl.
    [[nodiscard]] data::UrlHandle SelectedHandle() const;
    [[nodiscard]] int Count() const;

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Unregister();

    data::CDataUrls& m_urls;
    HWND m_registered = nullptr;
};

class CDlgUrlDocOpen : public win::CDialogImpl {
public:
    // With `initial` the dialog opens with its address and its cache and passive flags; without, empty.
    CDlgUrlDocOpen(data::CDataUrls& urls, const transfer::CUrlConn* initial);
    // The checked connection after OK: the address and the two flags, no login.
    [[nodiscard]] const transfer::CUrlConn& Connection() const noexcept { return m_connection; }
    [[nodiscard]] bool NewWindow() const noexcept { return m_newWindow; }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool OnInitDialog();
    void OnComboEvent(UINT code);
    void OnMenuButton();
    void OnDelete(bool all);
    void OnOk();
    // Sets the two option boxes from the entry stored for the text, or clears them.
    void TakeStoredFlags(std::wstring_view text);
    void ClearInput();
    void FocusCombo();

    data::CDataUrls& m_urls;
    CListUrl m_list;
    transfer::CUrlConn m_initial;
    bool m_hasInitial;
    transfer::CUrlConn m_connection;
    bool m_newWindow = false;
};

} // namespace tools
