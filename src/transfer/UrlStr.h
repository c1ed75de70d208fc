#pragma once
// Addresses of documents on HTTP, HTTPS and FTP servers: cracked by the platform's URL parser, checked as the
// URL dialog needs, and told apart from topic paths for the topic property page.

#include "transfer/TopicPath.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace transfer {

// A URL broken into its components. The user name and password written in it are kept for display only;
// logins take their credentials from the connection record.
class CUrlStr {
public:
    // Scheme numbers as the platform parser gives them.
    static constexpr int32_t kSchemeUnknown = -1;
    static constexpr int32_t kSchemeFtp = 1;
    static constexpr int32_t kSchemeHttp = 3;
    static constexpr int32_t kSchemeHttps = 4;

    // The longest component, in UTF-16 units, that a crack accepts; a longer one fails the crack rather
    // than being cut short.
    static constexpr size_t kMaxSchemeName = 32;
    static constexpr size_t kMaxHost = 256;
    static constexpr size_t kMaxUser = 128;
    static constexpr size_t kMaxPassword = 128;
    static constexpr size_t kMaxUrlPath = 2048;
    static constexpr size_t kMaxExtraInfo = 2048;

    CUrlStr() = default;
    // Cracks the text; a null text, or one that does not crack, leaves the reset state.
    explicit CUrlStr(const wchar_t* text);
    explicit CUrlStr(std::wstring_view text);
    CUrlStr(const CUrlStr&) = default;
    CUrlStr& operator=(const CUrlStr&) = default;
    CUrlStr(CUrlStr&&) noexcept = default;
    CUrlStr& operator=(CUrlStr&&) noexcept = default;
    virtual ~CUrlStr() = default;

    // Fills every field from the text; on failure the object is left reset.
    [[nodiscard]] bool Crack(std::wstring_view text);
    void Reset() noexcept;

    [[nodiscard]] int32_t Scheme() const noexcept { return m_scheme; }
    [[nodiscard]] uint32_t Port() const noexcept { return m_port; }
    [[nodiscard]] const std::wstring& Url() const noexcept { return m_url; }
    [[nodiscard]] const std::wstring& SchemeName() const noexcept { return m_schemeName; }
    [[nodiscard]] const std::wstring& Host() const noexcept { return m_host; }
    [[nodiscard]] const std::wstring& User() const noexcept { return m_user; }
    [[nodiscard]] const std::wstring& Password() const noexcept { return m_password; }
    [[nodiscard]] const std::wstring& UrlPath() const noexcept { return m_urlPath; }
    [[nodiscard]] const std::wstring& ExtraInfo() const noexcept { return m_extraInfo; }
    [[nodiscard]] bool IsUnknown() const noexcept { return m_scheme == kSchemeUnknown; }

private:
    int32_t m_scheme = kSchemeUnknown;
    uint32_t m_port = 0;
    std::wstring m_url;
    std::wstring m_schemeName;
    std::wstring m_host;
    std::wstring m_user;
    std::wstring m_password;
    std::wstring m_urlPath;
    std::wstring m_extraInfo;
};

// The verdict on a URL typed by the user; the URL dialog turns each failure into its own message.
enum class UrlCheck : int {
    UrlOk = 0,
    UrlEmpty = 2,
    UrlBadFormat = 3,
    UrlBadScheme = 4,
};

UrlCheck CheckUrl(std::wstring_view text);

// Sorts a location reported by the topic view into a URL or a topic; both outputs are cleared first.
// False when the text is neither.
[[nodiscard]] bool ClassifyLocation(std::wstring_view text, CTopicStr& topic, CUrlStr& url);

} // namespace transfer
