#pragma once
// The program's one top-level window per process: it owns the command bar, the document view, the tool
// windows, the workers and the data stores, and is where documents are opened and closed.

#include "app/DocumentKeys.h"
#include "data/DataHistory.h"
#include "data/DataLayout.h"
#include "data/DataLibrary.h"
#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "data/DataUrls.h"
#include "transfer/JobThreads.h"
#include "transfer/WatchData.h"
#include "win/CommandBar.h"
#include "win/MessageLoop.h"
#include "win/UpdateUI.h"
#include "win/Window.h"

class CMainFrame : public win::CWindowImpl,
                   public win::CUpdateUI,
                   private win::CMessageFilter,
                   private win::CIdleHandler {
public:
    static constexpr wchar_t kClassName[] = L"FolivexMainFrame";

    CMainFrame() : m_history(m_setting), m_urls(m_setting) {}
    ~CMainFrame() override = default;

    // Creates the frame at the system's default position and size; nullptr when creation was refused.
    HWND CreateFrame();
    // Shows the frame with the caller's show command and the saved placement.
    void ShowWithPlacement(int showCmd);
    // Writes the layout file: the frame's normal placement as "main", then each tool window's record.
    [[nodiscard]] bool SaveMainPlacement();

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // The keyboard dispatch of every message the thread's loop retrieves (also the frame's message filter).
    bool TranslateKeys(MSG& msg);
    // The document view once it exists; null while there is none.
    void SetDocumentKeys(IDocumentKeys* keys) noexcept { m_documentKeys = keys; }
    [[nodiscard]] data::CDataShortkey& Shortkeys() noexcept { return m_shortkey; }

protected:
    win::WindowClassInfo GetWindowClassInfo() const override;

private:
    bool PreTranslateMessage(MSG& msg) override;
    void OnIdle() override;

    LRESULT OnCreate();
    [[nodiscard]] bool StartWorkers(const std::wstring& execDir);
    [[nodiscard]] bool StopWorkers();
    void OnReload(DWORD mask);
    void OnAbort();
    void OnWatchError();
    void OnClose();
    void OnDestroy();
    void OnSize();
    void OnInitMenuPopup(HMENU menu);
    bool OnCommand(UINT id);
    bool OnSysCommand(WPARAM wp, LPARAM lp);
    LRESULT OnSetText(const wchar_t* text);
    // Enabled and checked states of the frame's commands, computed in this one place.
    void UpdateCommandStates();
    void UpdateLayout();

    [[nodiscard]] bool ApplySavedPlacement(int showCmd);

    // Members in the order the process relies on: stores first, windows and workers after them.
    data::CDataSetting m_setting;
    data::CDataLayout m_layout;
    data::CDataHistory m_history;
    data::CDataLibrary m_library;
    data::CDataShortkey m_shortkey;
    data::CDataUrls m_urls;
    win::CCommandBar m_commandBar;
    // Last members: destroyed first, so no worker outlives what it reports to.
    transfer::CFileThread m_fileThread;
    transfer::CCommThread m_commThread;
    transfer::CWatchData m_watchData;
    HWND m_rebar = nullptr;
    HWND m_client = nullptr;
    bool m_filterAdded = false;
    bool m_idleAdded = false;
    IDocumentKeys* m_documentKeys = nullptr;
};
