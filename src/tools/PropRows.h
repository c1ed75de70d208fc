#pragma once
// The rows the property lists show for the three records of a document, and the texts copied from them.
// Pure code: no windows, strings from the module's string table.

#include "transfer/Properties.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

struct PropRow {
    std::wstring item;
    std::wstring content;
    bool operator==(const PropRow&) const = default;
};
using PropRows = std::vector<PropRow>;

// The categories of the property window's box, by their stored ids.
enum class PropCategory : int { Document = 1, File = 2, Topic = 3 };

PropRows BuildDocRows(const transfer::CPropDoc& doc);
PropRows BuildFileRows(const transfer::CPropFile& file);
PropRows BuildTopicRows(const transfer::CPropTopic& topic);

// Seconds since 1970 UTC as local time in the window's format; empty when the value has no local time (a
// negative or far-future number read from a data file).
std::wstring FormatPropTime(int64_t seconds);

// The address with the password of its user part replaced, so a list or a copied text never shows it.
std::wstring MaskUrlPassword(std::wstring_view url);

// The clipboard text of the chosen rows: item, tab, content (or the content alone), CR LF each.
std::wstring BuildCopyText(const PropRows& rows, bool contentOnly);

} // namespace tools
