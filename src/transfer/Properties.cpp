#include "transfer/Properties.h"

#include <shlwapi.h>

#include <cwchar>

namespace transfer {
namespace {

std::wstring LastComponent(std::wstring_view text) {
    const size_t slash = text.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? text : text.substr(slash + 1));
}

} // namespace

CPropDoc::Kind CPropDoc::GetKind() const {
    if (!filePath.empty()) {
        return Kind::Local;
    }
    return connection.Address().IsUnknown() ? Kind::None : Kind::Url;
}

std::wstring CPropDoc::GetFileName() const {
    switch (GetKind()) {
    case Kind::Local:
        return LastComponent(filePath);
    case Kind::Url: {
        // The address carries the name escaped ("My%20Guide.chm"); a file name is wanted here.
        std::wstring name = LastComponent(connection.Address().UrlPath());
        if (!name.empty()) {
            (void)::UrlUnescapeW(name.data(), nullptr, nullptr, URL_UNESCAPE_INPLACE);
            name.resize(std::wcslen(name.c_str()));
        }
        return name;
    }
    default:
        return {};
    }
}

bool CPropFile::ReadFrom(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    attributes = data.dwFileAttributes;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return FileTimeToUnixSeconds(data.ftCreationTime, creationTime) &&
           FileTimeToUnixSeconds(data.ftLastWriteTime, lastWriteTime) &&
           FileTimeToUnixSeconds(data.ftLastAccessTime, lastAccessTime);
}

void CPropFile::SetFrom(const FileInformation& information) noexcept {
    attributes = information.attributes;
    creationTime = information.creationTime;
    lastWriteTime = information.lastWriteTime;
    lastAccessTime = information.lastAccessTime;
    size = information.size;
}

} // namespace transfer
