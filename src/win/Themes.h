#pragma once
// Whether visual styles are active, for controls that draw themselves.

namespace win {

// True when the theme library can be loaded and says a theme is active. Whether it can be loaded at all
// is probed once per process.
bool ThemesActive();

} // namespace win
