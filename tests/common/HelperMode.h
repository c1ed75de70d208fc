#pragma once
// Helper processes: a test starts its own executable with "--helper NAME args..." to get a second, real
// process (instance counting, shared kernel objects). Helpers register at static-initialisation time.

#include <windows.h>

#include <string>
#include <vector>

struct HelperEntry {
    const wchar_t* name;
    int (*entry)(int argc, wchar_t** argv);
};

bool RegisterHelper(const wchar_t* name, int (*entry)(int argc, wchar_t** argv));

#define FOLIVEX_TEST_HELPER(name, function) static const bool helper_registered_##function = RegisterHelper(name, function)

// A running helper process of this executable; killed if still running when the object goes away.
class CHelperProcess {
public:
    CHelperProcess() = default;
    CHelperProcess(const CHelperProcess&) = delete;
    CHelperProcess& operator=(const CHelperProcess&) = delete;
    ~CHelperProcess();

    bool Start(const std::wstring& name, const std::vector<std::wstring>& args = {});
    // The exit code, or -1 when the process did not end in time.
    int Wait(DWORD timeoutMs = 30000);
    // The process id, or 0 before a successful Start.
    [[nodiscard]] DWORD GetId() const noexcept { return m_process ? ::GetProcessId(m_process) : 0; }

private:
    HANDLE m_process = nullptr;
};
