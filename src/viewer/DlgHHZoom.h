#pragma once
// The zoom dialog of the topic view: the current zoom in a field, arrows that step it as zoom in and out do,
// actual size, and OK to take a typed value. Every change goes through the topic view, so the field always
// shows what the page shows.

#include "viewer/TopicZoom.h"
#include "win/Dialog.h"

namespace viewer {

class CDlgHHZoom : public win::CDialogImpl {
public:
    CDlgHHZoom(HWND topicView, ZoomRange range) noexcept;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Refresh() const;

    HWND m_topicView;
    ZoomRange m_range;
};

} // namespace viewer
