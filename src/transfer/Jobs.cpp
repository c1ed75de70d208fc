#include "transfer/Jobs.h"

namespace transfer {

bool CJob::IsBreakRequested() const noexcept {
    for (const HANDLE event : {m_breakEvent, m_stopEvent}) {
        if (event && ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0) {
            return true;
        }
    }
    return false;
}

void CJob::SetStatus(uint32_t status, bool force) noexcept {
    if (force || m_status == kJobStatusSuccess) {
        m_status = status;
    }
}

void CComm::SetDetail(const std::wstring& detail, bool force) {
    if (force || m_detail.empty()) {
        m_detail = detail;
    }
}

void CComm::ResetResults() {
    SetStatus(kJobStatusSuccess, true);
    m_detail.clear();
    m_fileInformation = FileInformation();
    m_authRequest = CCommAuth();
}

} // namespace transfer
