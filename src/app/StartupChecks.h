#pragma once
// The checks of the execution information that decide whether the main frame may start.

#include "app/ExeInfo.h"

#include <string>

// The message that stops start-up, or empty when the frame may go on. A missing execution directory is
// created (one level).
std::wstring CheckExecution(ExeMode mode, const std::wstring& execDir);

// The frame caption for a document title: "title - Folivex", or "Folivex" alone for an empty title.
std::wstring BuildCaption(std::wstring_view title);
