#include "data/FunctionTable.h"

#include "resource.h"

#include <map>
#include <mutex>

namespace data {

namespace {

// Id and name; "Refresh" leads, the other rows follow in table order.
struct NameRow {
    uint16_t id;
    std::wstring_view name;
};
constexpr NameRow kNames[] = {
    {ID_LIB_REFRESH, L"Refresh"},
    {ID_FILE_OPEN, L"Open"},
    {ID_URL_OPEN, L"UrlOpen"},
    {ID_FILE_SAVE, L"Save"},
    {ID_FILE_CLOSE, L"Close"},
    {ID_VIEW_PROPERTY, L"Property"},
    {ID_VIEW_HISTORY, L"History"},
    {ID_VIEW_LIBRARY, L"Library"},
    {ID_VIEW_SHORTKEY, L"Shortkey"},
    {ID_SETTING, L"Setting"},
    {ID_SHOW_MODE, L"ShowMode"},
    {ID_SHOW_FULL, L"ShowFull"},
    {ID_DOC_OPTIONS, L"DocOptions"},
    {ID_DOC_FOCUS, L"DocFocus"},
    {ID_NAVI_SHOW, L"Navigation"},
    {ID_NAVI_TAB_PREV, L"NaviTabPrev"},
    {ID_NAVI_TAB_NEXT, L"NaviTabNext"},
    {ID_NAVI_TOC, L"NaviToc"},
    {ID_NAVI_INDEX, L"NaviIndex"},
    {ID_NAVI_SEARCH, L"NaviSearch"},
    {ID_NAVI_FAVOR, L"NaviFavor"},
    {ID_NAVI_TOC_TOP, L"NaviTocTop"},
    {ID_NAVI_TOC_END, L"NaviTocEnd"},
    {ID_NAVI_TOC_PREV, L"NaviTocPrev"},
    {ID_NAVI_TOC_NEXT, L"NaviTocNext"},
    {ID_TOPIC_BACK, L"TopicBack"},
    {ID_TOPIC_FORWARD, L"TopicForward"},
    {ID_TOPIC_HOME, L"TopicHome"},
    {ID_TOPIC_REFRESH, L"TopicRefresh"},
    {ID_TOPIC_FONT_SIZE, L"TopicFontSize"},
    {ID_TOPIC_ZOOM, L"TopicZoom"},
    {ID_TOPIC_ZOOM_IN, L"TopicZoomIn"},
    {ID_TOPIC_ZOOM_OUT, L"TopicZoomOut"},
    {ID_TOPIC_FIND, L"TopicFind"},
    {ID_TOPIC_PRINT, L"TopicPrint"},
    {ID_LIB_ADD_FOLDER, L"AddFolder"},
    {ID_LIB_ADD_DOC, L"AddDoc"},
    {ID_LIB_ADD_TOPIC, L"AddTopic"},
    {ID_LIB_EDIT_LABEL, L"EditLabel"},
    {ID_LIB_PATH_CONV, L"DataPathConv"},
    {ID_LIB_DATA_SAVE, L"DataSave"},
    {ID_LIB_DATA_LOAD, L"DataLoad"},
};

// Place and id in table order; the display text is the string of the same number.
struct PlaceRow {
    Place place;
    uint16_t id;
};
constexpr PlaceRow kPlaceRows[] = {
    {Place::Main, ID_FILE_OPEN},         {Place::Main, ID_URL_OPEN},          {Place::Main, ID_FILE_SAVE},
    {Place::Main, ID_FILE_CLOSE},        {Place::Main, ID_VIEW_PROPERTY},     {Place::Main, ID_VIEW_HISTORY},
    {Place::Main, ID_VIEW_LIBRARY},      {Place::Main, ID_VIEW_SHORTKEY},     {Place::Main, ID_SETTING},
    {Place::Main, ID_SHOW_MODE},         {Place::Main, ID_SHOW_FULL},         {Place::View, ID_DOC_OPTIONS},
    {Place::View, ID_DOC_FOCUS},         {Place::View, ID_NAVI_SHOW},         {Place::View, ID_NAVI_TAB_PREV},
    {Place::View, ID_NAVI_TAB_NEXT},     {Place::View, ID_NAVI_TOC},          {Place::View, ID_NAVI_INDEX},
    {Place::View, ID_NAVI_SEARCH},       {Place::View, ID_NAVI_FAVOR},        {Place::View, ID_NAVI_TOC_TOP},
    {Place::View, ID_NAVI_TOC_END},      {Place::View, ID_NAVI_TOC_PREV},     {Place::View, ID_NAVI_TOC_NEXT},
    {Place::View, ID_TOPIC_BACK},        {Place::View, ID_TOPIC_FORWARD},     {Place::View, ID_TOPIC_HOME},
    {Place::View, ID_TOPIC_REFRESH},     {Place::View, ID_TOPIC_FONT_SIZE},   {Place::View, ID_TOPIC_ZOOM},
    {Place::View, ID_TOPIC_ZOOM_IN},     {Place::View, ID_TOPIC_ZOOM_OUT},    {Place::View, ID_TOPIC_FIND},
    {Place::View, ID_TOPIC_PRINT},       {Place::DocLib, ID_LIB_REFRESH},     {Place::DocLib, ID_LIB_ADD_FOLDER},
    {Place::DocLib, ID_LIB_ADD_DOC},     {Place::DocLib, ID_LIB_ADD_TOPIC},   {Place::DocLib, ID_LIB_EDIT_LABEL},
    {Place::DocLib, ID_LIB_PATH_CONV},   {Place::DocLib, ID_LIB_DATA_SAVE},   {Place::DocLib, ID_LIB_DATA_LOAD},
};
static_assert(std::size(kNames) == std::size(kPlaceRows));

struct Lookups {
    std::vector<FunctionRow> rows;
    std::map<uint16_t, size_t> byId;
    std::map<std::wstring_view, size_t> byName;
    std::map<Place, std::vector<const FunctionRow*>> byPlace;
};

const Lookups& Tables() {
    static const Lookups lookups = [] {
        Lookups built;
        std::map<uint16_t, std::wstring_view> names;
        for (const NameRow& row : kNames) {
            names.emplace(row.id, row.name);
        }
        built.rows.reserve(std::size(kPlaceRows));
        for (const PlaceRow& row : kPlaceRows) {
            built.rows.push_back({row.id, names.at(row.id), row.place});
        }
        for (size_t i = 0; i < built.rows.size(); ++i) {
            built.byId.emplace(built.rows[i].id, i);
            built.byName.emplace(built.rows[i].name, i);
            built.byPlace[built.rows[i].place].push_back(&built.rows[i]);
        }
        return built;
    }();
    return lookups;
}

} // namespace

std::span<const FunctionRow> AllFunctions() { return Tables().rows; }

const FunctionRow* FunctionById(uint16_t id) {
    const Lookups& t = Tables();
    const auto it = t.byId.find(id);
    return it == t.byId.end() ? nullptr : &t.rows[it->second];
}

const FunctionRow* FunctionByName(std::wstring_view name) {
    const Lookups& t = Tables();
    const auto it = t.byName.find(name);
    return it == t.byName.end() ? nullptr : &t.rows[it->second];
}

const std::vector<const FunctionRow*>& FunctionsOfPlace(Place place) {
    static const std::vector<const FunctionRow*> none;
    const Lookups& t = Tables();
    const auto it = t.byPlace.find(place);
    return it == t.byPlace.end() ? none : it->second;
}

uint32_t PlaceTextId(Place place) {
    switch (place) {
    case Place::Main:
        return IDS_PLACE_MAIN;
    case Place::View:
        return IDS_PLACE_VIEW;
    case Place::DocLib:
        return IDS_PLACE_DOCLIB;
    }
    return 0;
}

std::wstring_view PlaceName(Place place) {
    switch (place) {
    case Place::Main:
        return L"main";
    case Place::View:
        return L"view";
    case Place::DocLib:
        return L"doclib";
    }
    return {};
}

bool PlaceFromName(std::wstring_view name, Place& place) {
    for (const Place candidate : kPlaces) {
        if (PlaceName(candidate) == name) {
            place = candidate;
            return true;
        }
    }
    return false;
}

} // namespace data
