#pragma once
// The property window: the shown document's record, its file's or its current topic's, chosen in a category
// box and listed as item and content. It reads the records from the document view whenever the view reports
// a change, and never keeps its own copy.

#include "tools/DlgTool.h"
#include "tools/ListProp.h"
#include "xml/ViewList.h"

#include "resource.h"

namespace tools {

// Where the property window reads the shown document's records and hears of their changes.
class IPropSource {
public:
    [[nodiscard]] virtual bool HasDocument() const = 0;
    [[nodiscard]] virtual const transfer::CPropDoc& DocProperties() const = 0;
    [[nodiscard]] virtual const transfer::CPropFile& FileProperties() const = 0;
    [[nodiscard]] virtual const transfer::CPropTopic& TopicProperties() const = 0;
    [[nodiscard]] virtual xml::CViewList& Events() = 0;
    // The event bits after which the records are read again.
    [[nodiscard]] virtual DWORD ChangeEvents() const = 0;

protected:
    ~IPropSource() = default;
};

// The source over a document view type with the view's operations and event bits.
template <class TView> class CPropSourceOf final : public IPropSource {
public:
    explicit CPropSourceOf(TView& view) noexcept : m_view(view) {}
    bool HasDocument() const override { return m_view.HasDocument(); }
    const transfer::CPropDoc& DocProperties() const override { return m_view.GetDocProperties(); }
    const transfer::CPropFile& FileProperties() const override { return m_view.GetFileProperties(); }
    const transfer::CPropTopic& TopicProperties() const override { return m_view.GetTopicProperties(); }
    xml::CViewList& Events() override { return m_view; }
    DWORD ChangeEvents() const override { return TView::kEventOpened | TView::kEventClosed | TView::kEventTopic; }

private:
    TView& m_view;
};

class CDlgDocProp : public CDlgToolT<CDlgDocProp> {
public:
    static constexpr wchar_t kLayoutName[] = L"docprop";
    static constexpr ToolAnchor kAnchors[] = {
        {IDC_PROP_CATEGORY, win::CResizeAnchors::kSizeX},
        {IDC_PROP_LIST, win::CResizeAnchors::kSizeX | win::CResizeAnchors::kSizeY},
    };
    // The document view's notifications.
    static constexpr UINT kDocumentEvent = WM_APP + 3;

    CDlgDocProp(data::CDataLayout& layout, IPropSource& source);

    // Reads the current category's record again; an empty list without a document.
    bool Refresh();
    bool SelectCategory(PropCategory category);
    // Shows the window on the topic's page (the view's "properties" of a topic).
    bool ShowTopicPage();
    [[nodiscard]] PropCategory CurrentCategory() const;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    bool OnInitTool() override;
    void OnDestroyTool() override;
    void StoreExtra(data::CDataWindow& record) const override;
    void ApplyExtra(const data::CDataWindow& record) override;
    bool TranslateToolKeys(MSG& msg) override;

private:
    [[nodiscard]] HWND Category() const { return GetDlgItem(IDC_PROP_CATEGORY); }
    void ReportFailure() const;

    IPropSource& m_source;
    CListProp m_list;
    bool m_subscribed = false;
};

} // namespace tools
