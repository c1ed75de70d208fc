#pragma once
// The items of a built menu as far as tidying needs them, so that the rule works on any menu: a menu built
// from a table can lose rows (a browser text that is missing), which leaves separators at its ends or doubled.

#include <windows.h>

namespace viewer {

class IMenuItems {
public:
    [[nodiscard]] virtual int Count() const = 0;
    [[nodiscard]] virtual bool IsSeparator(int position) const = 0;
    virtual bool Remove(int position) = 0;

protected:
    ~IMenuItems() = default;
};

// Deletes the separators at the start, the second of two in a row, and those at the end. Submenus are the
// caller's to tidy, each as it is built.
bool TidySeparators(IMenuItems& menu);

// The items of a popup menu the caller owns.
class CMenuItems final : public IMenuItems {
public:
    explicit CMenuItems(HMENU menu) noexcept : m_menu(menu) {}

    [[nodiscard]] int Count() const override;
    [[nodiscard]] bool IsSeparator(int position) const override;
    bool Remove(int position) override;

private:
    HMENU m_menu;
};

} // namespace viewer
