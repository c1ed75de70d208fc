#pragma once
// The functions of the program: every command a key can be bound to, with its fixed id, the name under which
// its bindings are stored, and the place where it applies. Display texts are string-table entries whose
// number equals the id.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace data {

// Where a function applies; each customisable key table belongs to one place.
enum class Place : uint32_t {
    Main = 1,   // the main window
    View = 2,   // the document view
    DocLib = 3, // the library
};

inline constexpr Place kPlaces[] = {Place::Main, Place::View, Place::DocLib};

struct FunctionRow {
    uint16_t id;
    std::wstring_view name;
    Place place;
};

// All rows in the fixed order of the table.
std::span<const FunctionRow> AllFunctions();
const FunctionRow* FunctionById(uint16_t id);
// Names compare exactly.
const FunctionRow* FunctionByName(std::wstring_view name);
// The place's rows in table order.
const std::vector<const FunctionRow*>& FunctionsOfPlace(Place place);

// The string id of the place's display name; it is also the id of its default key table.
uint32_t PlaceTextId(Place place);
// The place's name in the key file ("main", "view", "doclib").
std::wstring_view PlaceName(Place place);
bool PlaceFromName(std::wstring_view name, Place& place);

} // namespace data
