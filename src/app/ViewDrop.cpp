#include "app/ViewDrop.h"

#include "app/AppMessages.h"
#include "transfer/UrlStr.h"
#include "win/DropData.h"

#include <string>
#include <vector>

namespace {

// Longer than any address the download accepts: such a text is not a link.
constexpr size_t kMaxLinkBytes = 8192;

bool ReadLink(IDataObject* data, DocRef& ref) {
    std::string bytes;
    if (!win::GetDataBytes(data, CF_TEXT, bytes)) {
        return false;
    }
    const size_t end = bytes.find('\0');
    if (end != std::string::npos) {
        bytes.resize(end);
    }
    const size_t first = bytes.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || bytes.size() > kMaxLinkBytes) {
        return false;
    }
    bytes = bytes.substr(first, bytes.find_last_not_of(" \t\r\n") - first + 1);
    const int count = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (count <= 0) {
        return false;
    }
    std::wstring text(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), count);
    // A text of several lines or with control characters is not one link.
    for (const wchar_t c : text) {
        if (c < L' ') {
            return false;
        }
    }
    if (transfer::CheckUrl(text) != transfer::UrlCheck::UrlOk || !ref.url.SetAddress(text)) {
        return false;
    }
    ref.kind = DocRef::Kind::Url;
    return true;
}

bool ReadFile(IDataObject* data, DocRef& ref) {
    std::vector<std::wstring> names;
    if (!win::GetDroppedFiles(data, names) || names.size() != 1) {
        return false;
    }
    ref.kind = DocRef::Kind::File;
    ref.path = std::move(names.front());
    return true;
}

} // namespace

bool ReadDroppedDocument(IDataObject* data, DocRef& ref) {
    ref = DocRef();
    if (ReadLink(data, ref)) {
        return true;
    }
    ref = DocRef();
    if (ReadFile(data, ref)) {
        return true;
    }
    ref = DocRef();
    return false;
}

DWORD CViewDropTarget::Effect(DWORD keyState, DWORD allowed) const noexcept {
    // While the frame is disabled (a dialog, a progress) nothing may start another open.
    if (!m_pending || !m_frame || !::IsWindowEnabled(m_frame)) {
        return DROPEFFECT_NONE;
    }
    // Opening is neither a move nor a copy: a link where the source allows it, else a copy; never a move,
    // which would have the source delete its file.
    static constexpr DWORD kOrder[] = {DROPEFFECT_LINK, DROPEFFECT_COPY};
    return win::ChooseDropEffect(keyState, allowed, DROPEFFECT_LINK | DROPEFFECT_COPY, kOrder, 2);
}

HRESULT CViewDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
    m_pending.reset();
    DocRef ref;
    if (ReadDroppedDocument(data, ref)) {
        m_pending = std::move(ref);
    }
    *effect = Effect(keyState, *effect);
    return S_OK;
}

HRESULT CViewDropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
    *effect = Effect(keyState, *effect);
    return S_OK;
}

HRESULT CViewDropTarget::DragLeave() {
    m_pending.reset();
    return S_OK;
}

HRESULT CViewDropTarget::Drop(IDataObject*, DWORD keyState, POINTL, DWORD* effect) {
    *effect = Effect(keyState, *effect);
    if (*effect != DROPEFFECT_NONE) {
        // Only posted: the open, with its progress dialog or a whole download, runs after the source is free.
        ::SetForegroundWindow(m_frame);
        if (!PostObject<WM_APP_OPEN_REQUEST>(m_frame, std::make_unique<DocRef>(std::move(*m_pending)))) {
            *effect = DROPEFFECT_NONE;
        }
    }
    m_pending.reset();
    return S_OK;
}
