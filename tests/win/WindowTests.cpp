#include "win/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

class CProbeWindow : public win::CWindowImpl {
public:
    std::vector<UINT> seen;
    int finalMessages = 0;
    HWND finalHandle = nullptr;
    bool throwOnCommand = false;
    bool deleteSelf = false;
    bool* deletedFlag = nullptr;

    ~CProbeWindow() override {
        if (deletedFlag) {
            *deletedFlag = true;
        }
    }

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        seen.push_back(msg);
        if (msg == WM_COMMAND && throwOnCommand) {
            throw std::runtime_error("handler failed");
        }
        if (msg == WM_APP) {
            result = 42;
            return true;
        }
        return false;
    }

protected:
    win::WindowClassInfo GetWindowClassInfo() const override {
        win::WindowClassInfo info;
        info.name = L"FolivexTestProbe";
        return info;
    }
    void OnFinalMessage(HWND hwnd) override {
        ++finalMessages;
        finalHandle = hwnd;
        if (deleteSelf) {
            delete this;
        }
    }
};

bool Contains(const std::vector<UINT>& list, UINT msg) {
    return std::find(list.begin(), list.end(), msg) != list.end();
}

TEST(WindowImpl, RoutesMessagesFromCreationToFinalMessageAndNoExceptionCrossesTheProcedure) {
    CProbeWindow window;
    const HWND hwnd = window.Create(nullptr, nullptr, L"probe", WS_OVERLAPPEDWINDOW);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.m_hWnd, hwnd);
    EXPECT_EQ(win::CWindowImpl::FromHandle(hwnd), &window);
    // The first messages of the window (sent before CreateWindowEx returns) reach the object too.
    EXPECT_TRUE(Contains(window.seen, WM_NCCREATE));
    EXPECT_TRUE(Contains(window.seen, WM_CREATE));
    EXPECT_EQ(::SendMessageW(hwnd, WM_APP, 0, 0), 42);
    window.throwOnCommand = true;
    EXPECT_EQ(::SendMessageW(hwnd, WM_COMMAND, 1, 0), 0);
    EXPECT_TRUE(window.IsWindow());

    EXPECT_TRUE(window.Destroy());
    EXPECT_EQ(window.finalMessages, 1);
    EXPECT_EQ(window.finalHandle, hwnd);
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_EQ(win::CWindowImpl::FromHandle(hwnd), nullptr);
}

TEST(WindowImpl, SelfDeletingWindowIsDeletedOnlyAfterItsLastMessage) {
    bool deleted = false;
    auto* window = new CProbeWindow;
    window->deleteSelf = true;
    window->deletedFlag = &deleted;
    const HWND hwnd = window->Create(nullptr, nullptr, L"probe", WS_OVERLAPPEDWINDOW);
    ASSERT_NE(hwnd, nullptr);
    ::DestroyWindow(hwnd);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Refuses to be created and frees its own storage in the final-message hook, poisoning it, so any write into
// the object after that shows in the storage.
class CRefusedSelfDeleting : public win::CWindowImpl {
public:
    static constexpr unsigned char kPoison = 0xA5;

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == WM_CREATE) {
            result = -1;
            return true;
        }
        return false;
    }

protected:
    win::WindowClassInfo GetWindowClassInfo() const override {
        win::WindowClassInfo info;
        info.name = L"FolivexTestRefused";
        return info;
    }
    void OnFinalMessage(HWND) override {
        void* storage = this;
        this->~CRefusedSelfDeleting();
        std::memset(storage, kPoison, sizeof(CRefusedSelfDeleting));
    }
};

TEST(WindowImpl, RefusedCreationDoesNotTouchAnObjectItsFinalMessageFreed) {
    alignas(CRefusedSelfDeleting) unsigned char storage[sizeof(CRefusedSelfDeleting)];
    auto* window = new (storage) CRefusedSelfDeleting;
    EXPECT_EQ(window->Create(nullptr, nullptr, L"refused", WS_OVERLAPPEDWINDOW), nullptr);
    EXPECT_TRUE(std::all_of(std::begin(storage), std::end(storage),
                            [](unsigned char byte) { return byte == CRefusedSelfDeleting::kPoison; }));
}

} // namespace
