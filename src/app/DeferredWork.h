#pragma once
// Posted frame work that must wait its turn: the command line until the stores are loaded, and any work that
// arrives while a message box or another piece of work's modal loop is running, so that each piece runs once,
// whole, after the previous one, and no message box of it is dropped.

#include "app/AppMessages.h"

#include <deque>
#include <memory>

class CDeferredWork {
public:
    // What keeps a piece of work waiting.
    struct State {
        bool storesLoaded = false; // the start-up reload has finished
        bool messageBoxOpen = false;
        bool reloading = false; // a reload is running (its error boxes run a loop)
        bool busy = false;      // the frame is inside another piece of work or disabled by a modal window
    };

    struct Item {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        std::unique_ptr<DocRef> request; // the object of WM_APP_OPEN_REQUEST
    };

    CDeferredWork() = default;
    CDeferredWork(const CDeferredWork&) = delete;
    CDeferredWork& operator=(const CDeferredWork&) = delete;

    // Whether a message of this kind is work that may have to wait.
    [[nodiscard]] static bool IsDeferrable(UINT message) noexcept;
    // Whether the work may run now in this state; work already waiting always runs first.
    [[nodiscard]] static bool CanRun(UINT message, const State& state) noexcept;
    [[nodiscard]] bool MustWait(UINT message, const State& state) const noexcept {
        return !m_items.empty() || !CanRun(message, state);
    }

    // Queues the message (taking its object). Reloads that follow each other become one reload of all
    // their stores.
    void Push(UINT message, WPARAM wp, LPARAM lp);
    [[nodiscard]] bool HasRunnable(const State& state) const noexcept {
        return !m_items.empty() && CanRun(m_items.front().message, state);
    }
    // The first waiting piece of work when it may run now; empty otherwise.
    [[nodiscard]] bool PopRunnable(const State& state, Item& item);
    [[nodiscard]] bool IsEmpty() const noexcept { return m_items.empty(); }

private:
    std::deque<Item> m_items;
};
