#pragma once
// Path helpers shared by the execution directory, the document opener and the library's path conversion.

#include <string>
#include <string_view>

namespace win {

enum class PathKind : int {
    Empty = 0,
    Absolute = 1, // drive-based
    Relative = 2,
    Unc = 3,
};

PathKind GetPathKind(std::wstring_view path);

// Leading and trailing blanks removed, then one trailing backslash (not that of a drive root "C:\").
std::wstring TrimPath(std::wstring_view path);

[[nodiscard]] bool DirectoryExists(std::wstring_view path);

// The folder part of a path: everything before the last component.
std::wstring ParentFolder(std::wstring_view path);

// The full path of `path` as the platform resolves it, however long; empty when it has none.
std::wstring FullPath(std::wstring_view path);
// The full path `path` names when taken from the folder `base` (absolute, drive-based) instead of the process's
// current directory: a relative path lies below `base`, "\x" on the drive of `base`, and "C:x" below `base` when
// that is on drive C (the root of C otherwise). Absolute and UNC paths are only normalised. Empty when there is
// no such path.
std::wstring ResolveAgainst(std::wstring_view path, std::wstring_view base);
// Whether the path names an existing file (not a folder).
[[nodiscard]] bool FileExists(std::wstring_view path);
// Whether two paths name the same place: both made absolute, a trailing backslash dropped, letters compared
// without case as the file system does.
[[nodiscard]] bool SamePath(std::wstring_view a, std::wstring_view b);

// The module file name of `module` (the executable for nullptr), however long.
std::wstring ModuleFileName(void* module = nullptr);

} // namespace win
