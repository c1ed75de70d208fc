#pragma once
// File helpers of the XML tests: raw bytes in and out, folder listings and the file-system clock.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xml {
class CXmlStore;
}

// A path the build gives as its host sees it, as a path this process can open.
std::wstring HostPath(std::string_view path);
// A help document compiled for the tests ("alpha" titled "Alpha Document", "beta" titled "Beta Document"),
// as a path this process can open.
std::wstring TestDocument(const std::wstring& name);

// The declaration line every data file starts with.
inline const std::string kXmlHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// Names in a folder, without "." and "..", sorted.
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// Writes scratch files in `folder` until the file system stamps them later than `time`, so that a following
// write is seen as newer however coarse the file system's clock is. Condition-based, not a fixed pause.
bool WaitUntilFileTimeAfter(const std::wstring& folder, uint64_t time);
// Writes the declaration and `body` as the store's file in `folder`, points the store there and reloads it.
bool ReloadFromText(xml::CXmlStore& store, const std::wstring& folder, const std::string& body);
