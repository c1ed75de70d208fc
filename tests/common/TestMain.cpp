// The entry of every test executable: the window module and COM as the program has them, then GoogleTest.
// A test may start its own executable again as a helper process (see HelperMode.h).

#include "common/HelperMode.h"
#include "win/Module.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <ole2.h>

#include <cwchar>

namespace {
HelperEntry g_helpers[16];
int g_helperCount = 0;
} // namespace

bool RegisterHelper(const wchar_t* name, int (*entry)(int argc, wchar_t** argv)) {
    if (g_helperCount >= 16) {
        return false;
    }
    g_helpers[g_helperCount++] = {name, entry};
    return true;
}

int wmain(int argc, wchar_t** argv) {
    (void)::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFFFF};
    ::InitCommonControlsEx(&controls);
    (void)win::CAppModule::Init(::GetModuleHandleW(nullptr));

    if (argc >= 3 && std::wcscmp(argv[1], L"--helper") == 0) {
        for (int i = 0; i < g_helperCount; ++i) {
            if (std::wcscmp(g_helpers[i].name, argv[2]) == 0) {
                return g_helpers[i].entry(argc - 3, argv + 3);
            }
        }
        return 99;
    }
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    win::CAppModule::Term();
    ::OleUninitialize();
    return result;
}
