#include "tools/PropRows.h"

#include "win/Strings.h"

#include "resource.h"

#include <algorithm>
#include <ctime>
#include <iterator>

namespace tools {
namespace {

void AddRow(PropRows& rows, UINT itemId, std::wstring content) {
    rows.push_back({win::LoadStr(itemId), std::move(content)});
}

void AddIfNotEmpty(PropRows& rows, UINT itemId, const std::wstring& content) {
    if (!content.empty()) {
        AddRow(rows, itemId, content);
    }
}

void AddTime(PropRows& rows, UINT itemId, int64_t seconds) {
    if (seconds <= 0) {
        return;
    }
    std::wstring text = FormatPropTime(seconds);
    if (!text.empty()) {
        AddRow(rows, itemId, std::move(text));
    }
}

} // namespace

std::wstring FormatPropTime(int64_t seconds) {
    const __time64_t value = seconds;
    std::tm local{};
    if (_localtime64_s(&local, &value) != 0) {
        return {};
    }
    const std::wstring format = win::LoadStr(IDS_PROP_TIME_FORMAT);
    wchar_t text[129] = {};
    const size_t length = std::wcsftime(text, std::size(text), format.c_str(), &local);
    return std::wstring(text, length);
}

std::wstring MaskUrlPassword(std::wstring_view url) {
    const size_t scheme = url.find(L"://");
    if (scheme == std::wstring_view::npos) {
        return std::wstring(url);
    }
    const size_t start = scheme + 3;
    const size_t end = std::min(url.find_first_of(L"/?#", start), url.size());
    const std::wstring_view authority = url.substr(start, end - start);
    const size_t at = authority.rfind(L'@');
    if (at == std::wstring_view::npos) {
        return std::wstring(url);
    }
    const size_t colon = authority.substr(0, at).find(L':');
    if (colon == std::wstring_view::npos || colon + 1 == at) {
        return std::wstring(url);
    }
    std::wstring masked(url.substr(0, start + colon + 1));
    masked += L"****";
    masked += url.substr(start + at);
    return masked;
}

PropRows BuildDocRows(const transfer::CPropDoc& doc) {
    PropRows rows;
    AddRow(rows, IDS_PROP_TITLE, doc.title);
    AddIfNotEmpty(rows, IDS_PROP_FILE_NAME, doc.GetFileName());
    AddIfNotEmpty(rows, IDS_PROP_FILE_PATH, doc.filePath);
    const transfer::CUrlConn& conn = doc.connection;
    AddIfNotEmpty(rows, IDS_PROP_URL, MaskUrlPassword(conn.Address().Url()));
    AddIfNotEmpty(rows, IDS_PROP_USER, conn.user);
    if (conn.cache) {
        AddRow(rows, IDS_PROP_CACHE, win::LoadStr(IDS_PROP_ON));
    }
    if (conn.pasv && conn.Address().Scheme() == transfer::CUrlStr::kSchemeFtp) {
        AddRow(rows, IDS_PROP_PASV, win::LoadStr(IDS_PROP_ON));
    }
    AddIfNotEmpty(rows, IDS_PROP_TOPIC, doc.topic.Text());
    AddTime(rows, IDS_PROP_OPENED, doc.opened);
    AddIfNotEmpty(rows, IDS_PROP_NOTE, doc.note);
    return rows;
}

PropRows BuildFileRows(const transfer::CPropFile& file) {
    PropRows rows;
    AddTime(rows, IDS_PROP_CREATED, file.creationTime);
    AddTime(rows, IDS_PROP_WRITTEN, file.lastWriteTime);
    AddTime(rows, IDS_PROP_ACCESSED, file.lastAccessTime);
    if (file.size != 0) {
        AddRow(rows, IDS_PROP_SIZE, std::to_wstring(file.size) + L" " + win::LoadStr(IDS_PROP_BYTES));
    }
    return rows;
}

PropRows BuildTopicRows(const transfer::CPropTopic& topic) {
    PropRows rows;
    AddIfNotEmpty(rows, IDS_PROP_TOPIC_TITLE, topic.title);
    AddIfNotEmpty(rows, IDS_PROP_TOPIC_TOPIC, topic.topic.Text());
    AddIfNotEmpty(rows, IDS_PROP_TOPIC_URL, MaskUrlPassword(topic.address.Url()));
    AddIfNotEmpty(rows, IDS_PROP_TOPIC_CHARSET, topic.charset);
    if (topic.mode == 1) {
        AddRow(rows, IDS_PROP_TOPIC_MODE, win::LoadStr(IDS_PROP_MODE_COMPAT));
    } else if (topic.mode == 2) {
        AddRow(rows, IDS_PROP_TOPIC_MODE, win::LoadStr(IDS_PROP_MODE_STANDARD));
    }
    AddIfNotEmpty(rows, IDS_PROP_TOPIC_TAG, topic.activeTag);
    return rows;
}

std::wstring BuildCopyText(const PropRows& rows, bool contentOnly) {
    std::wstring text;
    for (const PropRow& row : rows) {
        if (!contentOnly) {
            text += row.item;
            text += L'\t';
        }
        text += MaskUrlPassword(row.content);
        text += L"\r\n";
    }
    return text;
}

} // namespace tools
