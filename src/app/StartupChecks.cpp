#include "app/StartupChecks.h"

#include "win/Path.h"
#include "win/Strings.h"

#include "resource.h"

std::wstring CheckExecution(ExeMode mode, const std::wstring& execDir) {
    if (mode == ExeModeNone) {
        return win::LoadStr(IDS_ERR_EXEINFO);
    }
    if (win::GetPathKind(execDir) != win::PathKind::Absolute) {
        return win::TextWithDetail(IDS_ERR_PLACE, execDir);
    }
    if (!win::DirectoryExists(execDir) && !::CreateDirectoryW(execDir.c_str(), nullptr)) {
        return win::LoadStr(IDS_ERR_EXECDIR);
    }
    return {};
}

std::wstring BuildCaption(std::wstring_view title) {
    const std::wstring product = win::LoadStr(IDS_PRODUCT_NAME);
    if (title.empty()) {
        return product;
    }
    std::wstring caption(title);
    caption += L" - ";
    caption += product;
    return caption;
}
