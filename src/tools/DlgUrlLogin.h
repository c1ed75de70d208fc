#pragma once
// The login dialog shown when a server asks for credentials: the host, a guide that turns red after a refused
// attempt, the kind of authentication, and a warning when the credentials would travel unprotected.

#include "transfer/Download.h"
#include "win/Dialog.h"

#include <cstdint>
#include <string>

namespace tools {

// Digest authentication and secure channels keep the password from being read on the way.
[[nodiscard]] bool CredentialsProtected(const transfer::CCommAuth& auth) noexcept;
// "HTTP-BASIC認証" and the like, with "（SSL/TLS）" for a secure request; "?????" for an unknown scheme.
std::wstring AuthSchemeText(const transfer::CCommAuth& auth);
// The host of the address, or "?????" when it has none.
std::wstring LoginHostText(const transfer::CUrlConn& connection);

struct LoginGuide {
    UINT textId;
    COLORREF colour;
};
// The first request asks politely in black; every refused attempt after it says so in red.
LoginGuide LoginGuideFor(uint32_t retryCount) noexcept;

class CDlgUrlLogin : public win::CDialogImpl {
public:
    // Both edits take at most this many characters.
    static constexpr int kMaxInput = 260;

    CDlgUrlLogin(const transfer::CUrlConn& connection, const transfer::CCommAuth& auth, uint32_t retryCount);
    [[nodiscard]] const std::wstring& User() const noexcept { return m_user; }
    [[nodiscard]] const std::wstring& Password() const noexcept { return m_password; }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool OnInitDialog();
    void OnOk();
    bool AttachWarningTip(HWND icon);

    transfer::CUrlConn m_connection;
    transfer::CCommAuth m_auth;
    uint32_t m_retryCount;
    std::wstring m_user;
    std::wstring m_password;
    HWND m_tooltip = nullptr;
};

} // namespace tools
