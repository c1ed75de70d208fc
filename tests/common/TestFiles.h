#pragma once
// File helpers of the XML tests: raw bytes in and out, folder listings and the file-system clock.

#include <cstdint>
#include <string>
#include <vector>

bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// Names in a folder, without "." and "..", sorted.
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// Writes scratch files in `folder` until the file system stamps them later than `time`, so that a following
// write is seen as newer however coarse the file system's clock is. Condition-based, not a fixed pause.
bool WaitUntilFileTimeAfter(const std::wstring& folder, uint64_t time);
