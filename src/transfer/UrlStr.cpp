#include "transfer/UrlStr.h"

#include "win/Strings.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <utility>

namespace transfer {

namespace {

// Wine's parser misreads some authorities while reporting success: it wraps a written port above 65535 into
// 16 bits, turns an empty or non-numeric port into 0, and cuts an IPv6 literal without a port ("[::1]") at its
// first colon. The split is taken only when the user name, password, host and port it reports, put back
// together, are what the text writes after "//"; a written port must be a decimal number from 1 to 65535.
bool AuthorityAgrees(std::wstring_view text, std::wstring_view schemeName, std::wstring_view user,
                     std::wstring_view password, std::wstring_view host, uint32_t port) {
    size_t pos = schemeName.size();
    if (text.size() < pos + 3 || text.compare(pos, 3, L"://") != 0) {
        return true; // no authority, so nothing to misread
    }
    pos += 3;
    auto take = [&](std::wstring_view part) {
        if (text.size() - pos < part.size() || !win::EqualsNoCaseAscii(text.substr(pos, part.size()), part)) {
            return false;
        }
        pos += part.size();
        return true;
    };
    auto next = [&] { return pos < text.size() ? text[pos] : L'\0'; };
    if (!user.empty() || !password.empty()) {
        if (!take(user)) {
            return false;
        }
        if (next() == L':') {
            ++pos;
            if (!take(password)) {
                return false;
            }
        }
        if (!take(L"@")) {
            return false;
        }
    }
    if (!take(host)) {
        return false;
    }
    if (next() != L':') {
        return true; // no port written: the parser supplies the scheme's own
    }
    ++pos;
    const size_t digitsStart = pos;
    uint32_t value = 0;
    for (; next() >= L'0' && next() <= L'9'; ++pos) {
        value = std::min<uint32_t>(value * 10 + static_cast<uint32_t>(next() - L'0'), 0x10000);
    }
    const bool portEnds = pos == text.size() || std::wstring_view(L"/\\?#;").find(next()) != std::wstring_view::npos;
    return portEnds && pos > digitsStart && value >= 1 && value <= 0xFFFF && value == port;
}

// The platform reads a backslash of a network address into the host ("http://h\p" gives the host "h\p"), drops
// what follows one after a port ("http://h:80\p" gives no path) and would send one in the path as written. Up to
// the query or fragment, where it is only data, such an address is malformed.
bool HasBackslashBeforeQuery(std::wstring_view text, int scheme) {
    if (scheme != INTERNET_SCHEME_FTP && scheme != INTERNET_SCHEME_HTTP && scheme != INTERNET_SCHEME_HTTPS) {
        return false;
    }
    return text.substr(0, text.find_first_of(L"?#")).find(L'\\') != std::wstring_view::npos;
}

// A buffer for one component, with room for the terminating NUL the parser writes after the longest text.
struct CComponent {
    explicit CComponent(size_t maxLength) : text(maxLength + 1, L'\0') {}
    [[nodiscard]] DWORD Capacity() const noexcept { return static_cast<DWORD>(text.size()); }
    std::wstring Take(DWORD length) {
        text.resize(length < text.size() ? length : text.size() - 1);
        return std::move(text);
    }
    std::wstring text;
};

} // namespace

CUrlStr::CUrlStr(const wchar_t* text) {
    if (text) {
        (void)Crack(text);
    }
}

CUrlStr::CUrlStr(std::wstring_view text) {
    (void)Crack(text);
}

void CUrlStr::Reset() noexcept {
    m_scheme = kSchemeUnknown;
    m_port = 0;
    m_url.clear();
    m_schemeName.clear();
    m_host.clear();
    m_user.clear();
    m_password.clear();
    m_urlPath.clear();
    m_extraInfo.clear();
}

bool CUrlStr::Crack(std::wstring_view text) {
    Reset();
    // The parser reads up to the first NUL: a text with one inside would be judged by its beginning only.
    if (text.find(L'\0') != std::wstring_view::npos) {
        return false;
    }
    const std::wstring url(text);
    CComponent scheme(kMaxSchemeName), host(kMaxHost), user(kMaxUser), password(kMaxPassword), urlPath(kMaxUrlPath),
        extraInfo(kMaxExtraInfo);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszScheme = scheme.text.data();
    parts.dwSchemeLength = scheme.Capacity();
    parts.lpszHostName = host.text.data();
    parts.dwHostNameLength = host.Capacity();
    parts.lpszUserName = user.text.data();
    parts.dwUserNameLength = user.Capacity();
    parts.lpszPassword = password.text.data();
    parts.dwPasswordLength = password.Capacity();
    parts.lpszUrlPath = urlPath.text.data();
    parts.dwUrlPathLength = urlPath.Capacity();
    parts.lpszExtraInfo = extraInfo.text.data();
    parts.dwExtraInfoLength = extraInfo.Capacity();
    // A component longer than its buffer fails the call (ERROR_INSUFFICIENT_BUFFER) instead of being cut.
    if (!::InternetCrackUrlW(url.c_str(), 0, 0, &parts)) {
        return false;
    }
    std::wstring schemeName = scheme.Take(parts.dwSchemeLength);
    std::wstring hostName = host.Take(parts.dwHostNameLength);
    std::wstring userName = user.Take(parts.dwUserNameLength);
    std::wstring passwordText = password.Take(parts.dwPasswordLength);
    if (!AuthorityAgrees(url, schemeName, userName, passwordText, hostName, parts.nPort) ||
        HasBackslashBeforeQuery(url, parts.nScheme)) {
        return false;
    }
    m_scheme = static_cast<int32_t>(parts.nScheme);
    m_port = parts.nPort;
    m_url = url;
    m_schemeName = std::move(schemeName);
    m_host = std::move(hostName);
    m_user = std::move(userName);
    m_password = std::move(passwordText);
    m_urlPath = urlPath.Take(parts.dwUrlPathLength);
    m_extraInfo = extraInfo.Take(parts.dwExtraInfoLength);
    return true;
}

UrlCheck CheckUrl(std::wstring_view text) {
    if (text.empty()) {
        return UrlCheck::UrlEmpty;
    }
    CUrlStr url;
    if (!url.Crack(text) || url.IsUnknown()) {
        return UrlCheck::UrlBadFormat;
    }
    switch (url.Scheme()) {
    case CUrlStr::kSchemeFtp:
    case CUrlStr::kSchemeHttp:
    case CUrlStr::kSchemeHttps:
        // The parser accepts "http:" or "http:/path"; with no server to ask, the download could only fail later.
        return url.Host().empty() ? UrlCheck::UrlBadFormat : UrlCheck::UrlOk;
    default:
        return UrlCheck::UrlBadScheme;
    }
}

bool ClassifyLocation(std::wstring_view text, CTopicStr& topic, CUrlStr& url) {
    topic.Clear();
    url.Reset();
    CUrlStr cracked;
    if (cracked.Crack(text) && !cracked.IsUnknown()) {
        url = std::move(cracked);
        return true;
    }
    CTopicStr parsed(text, true);
    if (parsed.IsEmpty()) {
        return false;
    }
    topic = std::move(parsed);
    return true;
}

} // namespace transfer
