#include "transfer/FileCopy.h"

#include "transfer/FileObjects.h"

#include <limits>

namespace transfer {

namespace {

// 1970-01-01 in file-time units (100 ns since 1601-01-01).
constexpr int64_t kUnixEpochAsFileTime = 116444736000000000LL;
constexpr int64_t kFileTimeUnitsPerSecond = 10000000LL;

// Marks the entry valid with the converted time, or leaves it unset when the time is not above 0.
bool TakeTime(int64_t seconds, FileTimeEntry& entry) {
    if (seconds <= 0) {
        return true;
    }
    if (!SecondsToFileTime(seconds, entry.time)) {
        return false;
    }
    entry.valid = true;
    return true;
}

} // namespace

bool SecondsToFileTime(int64_t seconds, FILETIME& fileTime) noexcept {
    constexpr int64_t kMax = (std::numeric_limits<int64_t>::max() - kUnixEpochAsFileTime) / kFileTimeUnitsPerSecond;
    if (seconds < 0 || seconds > kMax) {
        return false;
    }
    const auto value = static_cast<uint64_t>(seconds * kFileTimeUnitsPerSecond + kUnixEpochAsFileTime);
    fileTime.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    fileTime.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return true;
}

bool CFileCopy::Run() {
    CFileHandle source(m_source);
    if (!source.CopyTo(m_destination, m_overwrite)) {
        return false;
    }
    FileTimes times;
    if (!TakeTime(m_creationTime, times.creation) || !TakeTime(m_lastWriteTime, times.lastWrite) ||
        !TakeTime(m_lastAccessTime, times.lastAccess)) {
        return false;
    }
    if (!times.creation.valid && !times.lastWrite.valid && !times.lastAccess.valid) {
        return true;
    }
    // Attribute access is all the times need, and unlike write access it is granted on a read-only copy.
    CFileHandle destination(m_destination);
    if (!destination.OpenExisting(FILE_WRITE_ATTRIBUTES, FILE_SHARE_WRITE)) {
        return false;
    }
    return destination.SetTimes(times);
}

} // namespace transfer
