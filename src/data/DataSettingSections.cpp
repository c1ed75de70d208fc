// The eight section records of the settings store: their defaults, how each reads and writes its element.

#include "data/DataSetting.h"

#include <algorithm>

namespace data {

namespace {

constexpr wchar_t kRuleElement[] = L"pgovscr";
constexpr wchar_t kDirElement[] = L"dir";

constexpr std::array<xml::CXmlKeyword<StartDoc>, 3> kStartDocKeywords{{
    {StartDoc::None, L"none"},
    {StartDoc::File, L"file"},
    {StartDoc::Url, L"url"},
}};

// Also the order in which the rules are written.
constexpr std::array<xml::CXmlKeyword<PageOverMethod>, 3> kMethodKeywords{{
    {PageOverMethod::MouseWheel, L"mwheel"},
    {PageOverMethod::CursorKey, L"curkey"},
    {PageOverMethod::PageKey, L"pgkey"},
}};

enum class FolderKind { Doc, Data };

constexpr std::array<xml::CXmlKeyword<FolderKind>, 2> kFolderKeywords{{
    {FolderKind::Doc, L"doc"},
    {FolderKind::Data, L"data"},
}};

// Start tag and its attributes for a section without children; the caller adds attributes and ends it.
bool StartLeaf(xml::CXmlReader& reader, std::wstring_view name, xml::CXmlAttributeMap& attributes) {
    return reader.GetLocalName() == name && reader.ReadAttributes(attributes);
}

bool WriteBool(xml::CXmlWriter& writer, std::wstring_view name, bool value) {
    return writer.WriteAttribute(name, xml::BoolToText(value));
}

bool WriteUInt(xml::CXmlWriter& writer, std::wstring_view name, uint32_t value) {
    return writer.WriteAttribute(name, xml::UIntToText(value));
}

// A child that may appear once: false when it was seen before.
bool FirstTime(bool& seen) {
    const bool first = !seen;
    seen = true;
    return first;
}

// One "pgovscr" element: every attribute is required and the method must be known.
bool ReadRule(xml::CXmlReader& reader, CDataSetHtmlView1& view) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kRuleElement, attributes)) {
        return false;
    }
    const std::wstring* method = xml::FindAttribute(attributes, L"method");
    const std::wstring* enable = xml::FindAttribute(attributes, L"enable");
    const std::wstring* repeat = xml::FindAttribute(attributes, L"repeat");
    PageOverMethod which = PageOverMethod::MouseWheel;
    PageOverRule rule;
    if (!method || !enable || !repeat || !xml::KeywordToValue<PageOverMethod>(kMethodKeywords, *method, which) ||
        !xml::TextToUInt(*repeat, 0, PageOverRule::kMaxRepeat, rule.repeat)) {
        return false;
    }
    rule.enable = xml::TextToBool(*enable);
    view.Rule(which) = rule; // a rule given twice takes the later values
    return true;
}

// One "dir" element: "kind" is required and names one of the two folders.
bool ReadDir(xml::CXmlReader& reader, CDataSetFileDlg& dialog) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kDirElement, attributes)) {
        return false;
    }
    const std::wstring* kindText = xml::FindAttribute(attributes, L"kind");
    FolderKind kind = FolderKind::Doc;
    if (!kindText || !xml::KeywordToValue<FolderKind>(kFolderKeywords, *kindText, kind)) {
        return false;
    }
    DefaultFolder entry;
    xml::TakeBool(attributes, L"enable", entry.enable);
    if (!reader.ReadElementText(entry.folder)) {
        return false;
    }
    (kind == FolderKind::Doc ? dialog.doc : dialog.data) = std::move(entry);
    return true;
}

bool WriteDir(xml::CXmlWriter& writer, std::wstring_view kind, const DefaultFolder& entry) {
    return writer.StartElement(kDirElement) && writer.WriteAttribute(L"kind", kind) &&
           WriteBool(writer, L"enable", entry.enable) && writer.WriteText(entry.folder) && writer.EndElement();
}

} // namespace

bool CDataSetDocView::SetDefaults() {
    startDoc = StartDoc::None;
    return file.Reset() && url.Reset() && topic.Reset();
}

bool CDataSetDocView::ReadElement(xml::CXmlReader& reader, int depth) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kElementName, attributes) || !Reset()) {
        return false;
    }
    // Capitals or any other unknown word keep "none".
    xml::TakeKeyword<StartDoc>(attributes, L"startdoc", kStartDocKeywords, startDoc);
    bool seenFile = false;
    bool seenUrl = false;
    bool seenTopic = false;
    while (reader.ReadToElement(depth + 1)) {
        const std::wstring name = reader.GetLocalName();
        bool ok = false;
        if (name == file.GetElementName()) {
            ok = FirstTime(seenFile) && file.Read(reader, depth + 1);
        } else if (name == L"url") {
            ok = FirstTime(seenUrl) && url.Read(reader, depth + 1);
        } else if (name == topic.GetElementName()) {
            ok = FirstTime(seenTopic) && topic.Read(reader, depth + 1);
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool CDataSetDocView::WriteElement(xml::CXmlWriter& writer, int depth) const {
    const std::wstring_view keyword = xml::ValueToKeyword<StartDoc>(kStartDocKeywords, startDoc);
    return writer.StartElement(kElementName) &&
           writer.WriteAttribute(L"startdoc", keyword.empty() ? std::wstring_view(L"none") : keyword) &&
           file.Write(writer, depth + 1) && url.Write(writer, depth + 1) && topic.Write(writer, depth + 1) &&
           writer.EndElement();
}

bool CDataSetToolBar::SetDefaults() {
    fullHide = true;
    return true;
}

bool CDataSetToolBar::ReadElement(xml::CXmlReader& reader, int) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kElementName, attributes) || !Reset()) {
        return false;
    }
    xml::TakeBool(attributes, L"fullhide", fullHide);
    return true;
}

bool CDataSetToolBar::WriteElement(xml::CXmlWriter& writer, int) const {
    return writer.StartElement(kElementName) && WriteBool(writer, L"fullhide", fullHide) && writer.EndElement();
}

void CDataSetHtmlView1::Clamp() {
    for (PageOverRule& rule : rules) {
        rule.repeat = std::min(rule.repeat, PageOverRule::kMaxRepeat);
    }
}

bool CDataSetHtmlView1::SetDefaults() {
    noPageOverOffContents = false;
    rules.fill(PageOverRule{});
    return true;
}

bool CDataSetHtmlView1::ReadElement(xml::CXmlReader& reader, int depth) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kElementName, attributes) || !Reset()) {
        return false;
    }
    xml::TakeBool(attributes, L"nopgov1", noPageOverOffContents);
    while (reader.ReadToElement(depth + 1)) {
        if (!ReadRule(reader, *this)) {
            return false;
        }
    }
    return true;
}

bool CDataSetHtmlView1::WriteElement(xml::CXmlWriter& writer, int) const {
    if (!writer.StartElement(kElementName) || !WriteBool(writer, L"nopgov1", noPageOverOffContents)) {
        return false;
    }
    for (const auto& method : kMethodKeywords) {
        const PageOverRule& rule = Rule(method.value);
        if (!writer.StartElement(kRuleElement) || !writer.WriteAttribute(L"method", method.keyword) ||
            !WriteBool(writer, L"enable", rule.enable) || !WriteUInt(writer, L"repeat", rule.repeat) ||
            !writer.EndElement()) {
            return false;
        }
    }
    return writer.EndElement();
}

bool CDataSetToolWindow::SetDefaults() {
    openHide = false;
    return true;
}

bool CDataSetToolWindow::ReadElement(xml::CXmlReader& reader, int) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, m_elementName, attributes) || !Reset()) {
        return false;
    }
    xml::TakeBool(attributes, L"openhide", openHide);
    return true;
}

bool CDataSetToolWindow::WriteElement(xml::CXmlWriter& writer, int) const {
    return writer.StartElement(m_elementName) && WriteBool(writer, L"openhide", openHide) && writer.EndElement();
}

bool CDataSetFileDlg::SetDefaults() {
    doc = {};
    data = {};
    return true;
}

bool CDataSetFileDlg::ReadElement(xml::CXmlReader& reader, int depth) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kElementName, attributes) || !Reset()) {
        return false;
    }
    while (reader.ReadToElement(depth + 1)) {
        if (!ReadDir(reader, *this)) {
            return false;
        }
    }
    return true;
}

bool CDataSetFileDlg::WriteElement(xml::CXmlWriter& writer, int) const {
    return writer.StartElement(kElementName) && WriteDir(writer, L"doc", doc) && WriteDir(writer, L"data", data) &&
           writer.EndElement();
}

void CDataSetHist::Clamp() {
    docNum = std::clamp<uint32_t>(docNum, 1, kMaxDocNum);
    urlNum = std::clamp<uint32_t>(urlNum, 1, kMaxUrlNum);
}

bool CDataSetHist::SetDefaults() {
    doc = true;
    docNum = kMaxDocNum;
    url = true;
    urlNum = kMaxUrlNum;
    return true;
}

bool CDataSetHist::ReadElement(xml::CXmlReader& reader, int) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kElementName, attributes) || !Reset()) {
        return false;
    }
    xml::TakeBool(attributes, L"doc", doc);
    xml::TakeBool(attributes, L"url", url);
    return xml::TakeUInt(attributes, L"docnum", 1, kMaxDocNum, docNum) &&
           xml::TakeUInt(attributes, L"urlnum", 1, kMaxUrlNum, urlNum);
}

bool CDataSetHist::WriteElement(xml::CXmlWriter& writer, int) const {
    return writer.StartElement(kElementName) && WriteBool(writer, L"doc", doc) &&
           WriteUInt(writer, L"docnum", docNum) && WriteBool(writer, L"url", url) &&
           WriteUInt(writer, L"urlnum", urlNum) && writer.EndElement();
}

void CDataSetComm::Clamp() {
    timeout = std::clamp(timeout, kMinTimeout, kMaxTimeout);
}

bool CDataSetComm::SetDefaults() {
    timeout = kMinTimeout;
    return true;
}

bool CDataSetComm::ReadElement(xml::CXmlReader& reader, int) {
    xml::CXmlAttributeMap attributes;
    if (!StartLeaf(reader, kElementName, attributes) || !Reset()) {
        return false;
    }
    return xml::TakeUInt(attributes, L"timeout", kMinTimeout, kMaxTimeout, timeout);
}

bool CDataSetComm::WriteElement(xml::CXmlWriter& writer, int) const {
    return writer.StartElement(kElementName) && WriteUInt(writer, L"timeout", timeout) && writer.EndElement();
}

} // namespace data
