// Dropping onto the document view of a real folivex.exe: this test process is the drag source, so each drop
// crosses processes through OLE as one from another program does.

#include "common/DropTestData.h"
#include "common/TestFiles.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/DropData.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace e2e;

namespace {

const std::wstring kServer = L"http://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_HTTP_PORT);

// No button is held in a test: the drag goes on for a few tracking steps, so the target is entered and
// passed over, then drops.
class CTestDropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return ++m_steps < 6 ? S_OK : DRAGDROP_S_DROP; }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int m_steps = 0;
};


class Drops : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_app.Start());
        ASSERT_NE(m_app.WaitForMainWindow(), nullptr);
        ASSERT_TRUE(WaitForNoDialog(m_app));
    }
    void TearDown() override {
        if (m_app.IsRunning() && m_app.Close()) {
            (void)m_app.WaitForExit();
        }
    }

    // A data object of our own holding the bytes in one format.
    static win::CComPtr<win::CDropData> DataWith(CLIPFORMAT format, const std::string& bytes) {
        win::CComPtr<win::CDropData> data = win::CDropData::Create();
        FORMATETC description{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = win::CopyToGlobal(bytes.data(), bytes.size());
        EXPECT_EQ(data->SetData(&description, &medium, TRUE), S_OK);
        return data;
    }

    // Drags the bytes onto the middle of the document view and drops them there; the effect the view chose.
    DWORD DropOnView(CLIPFORMAT format, const std::string& bytes) {
        const HWND view = ::FindWindowExW(m_app.MainWindow(), nullptr, L"HH View", nullptr);
        EXPECT_NE(view, nullptr);
        RECT area{};
        ::GetWindowRect(view, &area);
        ::SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        const win::CComPtr<win::CDropData> data = DataWith(format, bytes);
        CTestDropSource source;
        DWORD effect = DROPEFFECT_NONE;
        EXPECT_TRUE(SUCCEEDED(::DoDragDrop(data.Get(), &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect)));
        return effect;
    }

    void CloseApp() {
        ASSERT_TRUE(m_app.Close());
        ASSERT_EQ(m_app.WaitForExit(), 0u);
    }

    CFolivexProcess m_app;
};

TEST_F(Drops, OneDroppedFileOpensAndTwoAreRefused) {
    EXPECT_EQ(DropOnView(CF_HDROP, FileList({TestDocument(L"alpha"), TestDocument(L"beta")})),
              static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(m_app.Caption(), L"Folivex");
    EXPECT_EQ(DropOnView(CF_HDROP, FileList({TestDocument(L"beta")})), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_TRUE(m_app.WaitForCaption(L"Beta Document - Folivex"));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].file.path, TestDocument(L"beta"));
}

TEST_F(Drops, ADraggedHttpLinkDownloadsAndAMailLinkIsRefused) {
    EXPECT_EQ(DropOnView(CF_TEXT, "mailto:someone@example.com"), static_cast<DWORD>(DROPEFFECT_NONE));
    const std::wstring address = kServer + L"/doc/alpha.chm";
    EXPECT_EQ(DropOnView(CF_TEXT, std::string(address.begin(), address.end())), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_TRUE(m_app.WaitForCaption(L"Alpha Document - Folivex"));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].url.address, address);
}

} // namespace
