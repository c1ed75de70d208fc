#include "data/DocInfoFile.h"

#include "win/Handles.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace data {

namespace {

void AppendDigits(std::wstring& text, unsigned value, size_t width) {
    std::wstring digits = std::to_wstring(value);
    if (digits.size() < width) {
        text.append(width - digits.size(), L'0');
    }
    text += digits;
}

} // namespace

std::wstring MakeDefaultFileName(std::wstring_view baseName, const SYSTEMTIME& localTime) {
    // The extension starts at the last dot of the name itself, not at a dot in a folder name before it.
    const size_t nameStart = baseName.find_last_of(L"\\/");
    const size_t dot = baseName.rfind(L'.');
    const bool hasExtension =
        dot != std::wstring_view::npos && (nameStart == std::wstring_view::npos || dot > nameStart);
    const std::wstring_view stem = hasExtension ? baseName.substr(0, dot) : baseName;
    const std::wstring_view extension = hasExtension ? baseName.substr(dot) : std::wstring_view();

    std::wstring name(stem);
    name += L'-';
    AppendDigits(name, localTime.wYear, 4);
    AppendDigits(name, localTime.wMonth, 2);
    AppendDigits(name, localTime.wDay, 2);
    AppendDigits(name, localTime.wHour, 2);
    AppendDigits(name, localTime.wMinute, 2);
    AppendDigits(name, localTime.wSecond, 2);
    name += extension;
    return name;
}

std::wstring MakeDefaultFileName(std::wstring_view baseName) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return MakeDefaultFileName(baseName, now);
}

bool WriteDocInfoText(const std::wstring& path, std::string_view utf8) {
    // Checked before the file is opened, so a refused text never truncates an existing file.
    if (utf8.empty() || utf8.size() > std::numeric_limits<DWORD>::max()) {
        return false;
    }
    win::CFileHandleRaii file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const DWORD size = static_cast<DWORD>(utf8.size());
    DWORD written = 0;
    const bool wrote = ::WriteFile(file.Get(), utf8.data(), size, &written, nullptr) && written == size;
    const bool closed = file.Close();
    if (!wrote || !closed) {
        // A half-written file would look like a saved one until it is read.
        (void)::DeleteFileW(path.c_str());
        return false;
    }
    return true;
}

bool ReadDocInfoText(const std::wstring& path, std::string& utf8) {
    utf8.clear();
    win::CFileHandleRaii file(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) >= kDocInfoSizeLimit) {
        return false;
    }
    // Below the limit the size fits a DWORD; memory may still be short, least of all in a 32-bit process.
    const DWORD expected = static_cast<DWORD>(size.QuadPart);
    std::string text;
    try {
        text.resize(expected);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    DWORD got = 0;
    if (!::ReadFile(file.Get(), text.data(), expected, &got, nullptr) || got != expected) {
        return false;
    }
    utf8 = std::move(text);
    return true;
}

bool SaveDocInfo(CDataLibrary& library, NodeHandle node, const std::wstring& path) {
    std::string text;
    return library.CopyOut(node, text) && WriteDocInfoText(path, text);
}

NodeHandle LoadDocInfo(CDataLibrary& library, NodeHandle selected, const std::wstring& path) {
    NodeHandle parent = kNoNode;
    NodePosition position = NodePosition::End();
    switch (library.GetKind(selected)) {
    case NodeKind::Folder:
        parent = selected;
        break;
    case NodeKind::Doc:
        parent = library.GetParent(selected);
        position = NodePosition::After(selected);
        break;
    case NodeKind::None:
        return kNoNode;
    }
    std::string text;
    if (parent == kNoNode || !ReadDocInfoText(path, text)) {
        return kNoNode;
    }
    return library.InsertXml(text, parent, position);
}

} // namespace data
