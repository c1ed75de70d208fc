#include "app/App.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCmd) {
    // No exception may leave the process entry: an unexpected one ends the process with a failure code.
    try {
        return RunProcess(instance, showCmd);
    } catch (...) {
        return 1;
    }
}
