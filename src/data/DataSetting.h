#pragma once
// The settings store "folivex.xml": the user's options in eight fixed sections, each with a default for every
// field, so a missing file, section or attribute simply means the default.

#include "data/DataRecords.h"
#include "xml/XmlStore.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace data {

// What the program opens at start-up when the command line names nothing.
enum class StartDoc : uint32_t {
    None = 0,
    File = 1,
    Url = 2,
};

// The start-up document ("docview"): a kind and the file, address and topic it may use.
class CDataSetDocView : public xml::CXmlElement {
public:
    static constexpr wchar_t kElementName[] = L"docview";

    StartDoc startDoc = StartDoc::None;
    CDataFile file;
    CDataUrl url;
    CDataTopic topic;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// Tool bar behaviour ("toolbar").
class CDataSetToolBar : public xml::CXmlElement {
public:
    static constexpr wchar_t kElementName[] = L"toolbar";

    // Hide the tool bar in full-screen mode.
    bool fullHide = true;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// The input that, at a scroll limit of the topic view, moves to the previous or next topic; the values index
// CDataSetHtmlView1::rules.
enum class PageOverMethod : uint32_t {
    MouseWheel = 0,
    CursorKey = 1,
    PageKey = 2,
};

struct PageOverRule {
    bool enable = true;
    // Sensitivity: how many times the input must repeat at the limit, 0 to kMaxRepeat.
    uint32_t repeat = 5;

    static constexpr uint32_t kMaxRepeat = 20;

    bool operator==(const PageOverRule&) const = default;
};

// Moving between topics from the topic view's scroll limits ("topicview1").
class CDataSetHtmlView1 : public xml::CXmlElement {
public:
    static constexpr wchar_t kElementName[] = L"topicview1";

    // Stay put while the navigation pane shows something other than the table of contents.
    bool noPageOverOffContents = false;
    std::array<PageOverRule, 3> rules{};

    [[nodiscard]] PageOverRule& Rule(PageOverMethod method) { return rules[static_cast<size_t>(method)]; }
    [[nodiscard]] const PageOverRule& Rule(PageOverMethod method) const { return rules[static_cast<size_t>(method)]; }
    // Brings the numbers into their ranges.
    void Clamp();

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// The option shared by the history and library tool windows: close when a document is opened from them.
class CDataSetToolWindow : public xml::CXmlElement {
public:
    bool openHide = false;

protected:
    explicit CDataSetToolWindow(const wchar_t* elementName) : m_elementName(elementName) {}

    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;

private:
    const wchar_t* m_elementName;
};

// History tool window ("dochist").
class CDataSetDocHist : public CDataSetToolWindow {
public:
    static constexpr wchar_t kElementName[] = L"dochist";
    CDataSetDocHist() : CDataSetToolWindow(kElementName) {}
};

// Library tool window ("doclib").
class CDataSetDocLib : public CDataSetToolWindow {
public:
    static constexpr wchar_t kElementName[] = L"doclib";
    CDataSetDocLib() : CDataSetToolWindow(kElementName) {}
};

struct DefaultFolder {
    bool enable = false;
    std::wstring folder;

    bool operator==(const DefaultFolder&) const = default;
};

// Default folders of the file dialogs ("filedlg").
class CDataSetFileDlg : public xml::CXmlElement {
public:
    static constexpr wchar_t kElementName[] = L"filedlg";

    // Documents (*.chm).
    DefaultFolder doc;
    // Data files (*.xml).
    DefaultFolder data;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// What the history and the URL list remember and how much ("history").
class CDataSetHist : public xml::CXmlElement {
public:
    static constexpr wchar_t kElementName[] = L"history";
    static constexpr uint32_t kMaxDocNum = 100;
    static constexpr uint32_t kMaxUrlNum = 20;

    bool doc = true;
    uint32_t docNum = kMaxDocNum;
    bool url = true;
    uint32_t urlNum = kMaxUrlNum;

    // Brings the counts into 1 to their maximum.
    void Clamp();

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// Transfers ("communicate").
class CDataSetComm : public xml::CXmlElement {
public:
    static constexpr wchar_t kElementName[] = L"communicate";
    static constexpr uint32_t kMinTimeout = 5;
    static constexpr uint32_t kMaxTimeout = 20;

    // Seconds.
    uint32_t timeout = kMinTimeout;

    void Clamp();

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// The sections, for resetting one of them.
enum class SettingSection {
    DocView,
    ToolBar,
    HtmlView1,
    DocHist,
    DocLib,
    FileDlg,
    Hist,
    Comm,
};

class CDataSetting : public xml::CXmlStore {
public:
    static constexpr wchar_t kFileName[] = L"folivex.xml";
    static constexpr wchar_t kRootName[] = L"setting";
    // Codes sent to the registered views (kReloaded, 1, comes from the base).
    static constexpr DWORD kReset = 2;
    static constexpr DWORD kChanged = 4;
    static constexpr DWORD kImported = 8;
    static constexpr DWORD kToolBarChanged = 16;

    CDataSetting();

    [[nodiscard]] CDataSetDocView GetDocView() const { return m_docView; }
    [[nodiscard]] CDataSetToolBar GetToolBar() const { return m_toolBar; }
    [[nodiscard]] CDataSetHtmlView1 GetHtmlView1() const { return m_htmlView1; }
    [[nodiscard]] CDataSetDocHist GetDocHist() const { return m_docHist; }
    [[nodiscard]] CDataSetDocLib GetDocLib() const { return m_docLib; }
    [[nodiscard]] CDataSetFileDlg GetFileDlg() const { return m_fileDlg; }
    [[nodiscard]] CDataSetHist GetHist() const { return m_hist; }
    [[nodiscard]] CDataSetComm GetComm() const { return m_comm; }

    // Each setter replaces its section (numbers brought into range) in the file's current content, so another
    // instance's change of another section stays; saves and tells the views with kChanged; the tool bar adds
    // kToolBarChanged. A path or address a data file cannot carry is refused before anything changes.
    [[nodiscard]] bool SetDocView(const CDataSetDocView& section);
    [[nodiscard]] bool SetToolBar(const CDataSetToolBar& section);
    [[nodiscard]] bool SetHtmlView1(const CDataSetHtmlView1& section);
    [[nodiscard]] bool SetDocHist(const CDataSetDocHist& section);
    [[nodiscard]] bool SetDocLib(const CDataSetDocLib& section);
    [[nodiscard]] bool SetFileDlg(const CDataSetFileDlg& section);
    [[nodiscard]] bool SetHist(const CDataSetHist& section);
    [[nodiscard]] bool SetComm(const CDataSetComm& section);
    // One section back to its defaults, saved, with the code its setter sends.
    [[nodiscard]] bool ResetSection(SettingSection section);

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override;
    void TakeOver(xml::CXmlStore& fresh) override;

private:
    // Replaces one section in the file's current content.
    template <class Section> bool SetSection(Section& member, const Section& section, DWORD code);

    CDataSetDocView m_docView;
    CDataSetToolBar m_toolBar;
    CDataSetHtmlView1 m_htmlView1;
    CDataSetDocHist m_docHist;
    CDataSetDocLib m_docLib;
    CDataSetFileDlg m_fileDlg;
    CDataSetHist m_hist;
    CDataSetComm m_comm;
    // The sections in the order they are written, and by element name for reading.
    std::vector<xml::CXmlElement*> m_order;
    std::map<std::wstring, xml::CXmlElement*, std::less<>> m_byName;
};

} // namespace data
