#pragma once
// What the main frame's keyboard dispatch needs of the document view: whether a document is shown, which
// window takes the view's commands, and the hosted viewer's own key handling.

#include <windows.h>

class IDocumentKeys {
public:
    [[nodiscard]] virtual bool IsShowingDocument() const = 0;
    [[nodiscard]] virtual HWND CommandTarget() const = 0;
    // The viewer's own accelerators and dialog navigation; true when it took the message.
    virtual bool TranslateViewerKeys(MSG& msg) = 0;

protected:
    ~IDocumentKeys() = default;
};
