#include "viewer/NaviPages.h"

#include "viewer/FrameCommands.h"

namespace viewer {

NaviPageKind NaviPageKindFromLabel(std::wstring_view label) {
    const size_t amp = label.find(L'&');
    if (amp == std::wstring_view::npos || amp + 1 >= label.size()) {
        return NaviPageKind::None;
    }
    switch (label[amp + 1]) {
    case L'C':
    case L'c':
        return NaviPageKind::Contents;
    case L'N':
    case L'n':
        return NaviPageKind::Index;
    case L'S':
    case L's':
        return NaviPageKind::Search;
    case L'I':
    case L'i':
        return NaviPageKind::Favorites;
    default:
        return NaviPageKind::None;
    }
}

UINT NaviPageCommand(NaviPageKind kind) {
    if (kind == NaviPageKind::None) {
        return 0;
    }
    return kFrameContentsPage + static_cast<UINT>(kind) - 1;
}

int NextNaviTab(int current, int count, bool wrap) {
    if (current < 0 || count <= 0) {
        return -1;
    }
    const int next = current + 1;
    if (next >= count) {
        return wrap ? 0 : count - 1;
    }
    return next;
}

int PreviousNaviTab(int current, int count, bool wrap) {
    if (current < 0 || count <= 0) {
        return -1;
    }
    const int previous = current - 1;
    if (previous < 0) {
        return wrap ? count - 1 : 0;
    }
    return previous;
}

void CNaviPageKinds::Rebuild(const std::vector<std::wstring>& labels) {
    m_kinds.clear();
    for (const std::wstring& label : labels) {
        m_kinds.push_back(NaviPageKindFromLabel(label));
    }
}

NaviPageKind CNaviPageKinds::KindAt(int tab) const {
    if (tab < 0 || static_cast<size_t>(tab) >= m_kinds.size()) {
        return NaviPageKind::None;
    }
    return m_kinds[static_cast<size_t>(tab)];
}

int CNaviPageKinds::FirstTabOf(NaviPageKind kind) const {
    if (kind == NaviPageKind::None) {
        return -1;
    }
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        if (m_kinds[i] == kind) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace viewer
