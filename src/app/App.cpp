#include "app/App.h"

#include "app/ExeInfo.h"
#include "app/MainFrame.h"
#include "app/ProcessCounter.h"
#include "win/MessageBox.h"
#include "win/MessageLoop.h"
#include "win/Module.h"

#include <commctrl.h>
#include <ole2.h>

namespace {

int Run(int showCmd) {
    win::CMessageLoop loop;
    if (!win::CAppModule::AddMessageLoop(&loop)) {
        return 0;
    }
    int exitCode = 0;
    {
        CMainFrame frame;
        if (frame.CreateFrame()) {
            win::SetDefaultMessageBoxOwner(frame.m_hWnd);
            frame.ShowWithPlacement(showCmd);
            exitCode = loop.Run();
        }
        win::SetDefaultMessageBoxOwner(nullptr);
    }
    (void)win::CAppModule::RemoveMessageLoop();
    return exitCode;
}

} // namespace

int RunProcess(HINSTANCE instance, int showCmd) {
    ProcessCounter::Acquire();
    // The results are not examined: the frame reports what it cannot do without them.
    (void)::CoInitialize(nullptr);
    (void)::OleInitialize(nullptr);
    ExeInfo::Init();

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFFFF;
    ::InitCommonControlsEx(&controls);

    int exitCode = 0;
    if (win::CAppModule::Init(instance)) {
        exitCode = Run(showCmd);
    }

    win::CAppModule::Term();
    ::OleUninitialize();
    ::CoUninitialize();
    ProcessCounter::Release();
    return exitCode;
}
