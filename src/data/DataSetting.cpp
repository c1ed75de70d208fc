#include "data/DataSetting.h"

#include "xml/XmlTextCheck.h"

namespace data {

CDataSetting::CDataSetting() : CXmlStore(kFileName, kReset, kImported) {
    m_order = {&m_docView, &m_toolBar, &m_htmlView1, &m_docHist, &m_docLib, &m_fileDlg, &m_hist, &m_comm};
    m_byName = {
        {CDataSetDocView::kElementName, &m_docView},     {CDataSetToolBar::kElementName, &m_toolBar},
        {CDataSetHtmlView1::kElementName, &m_htmlView1}, {CDataSetDocHist::kElementName, &m_docHist},
        {CDataSetDocLib::kElementName, &m_docLib},       {CDataSetFileDlg::kElementName, &m_fileDlg},
        {CDataSetHist::kElementName, &m_hist},           {CDataSetComm::kElementName, &m_comm},
    };
}

template <class Section> bool CDataSetting::SetSection(Section& member, const Section& section, DWORD code) {
    return ApplyEdit(code, [&] {
        member = section;
        return EditResult::Changed;
    });
}

bool CDataSetting::SetDocView(const CDataSetDocView& section) {
    if (!CheckStorable(section.file.IsStorable() && section.url.IsStorable() && section.topic.IsStorable())) {
        return false;
    }
    return SetSection(m_docView, section, kChanged);
}

bool CDataSetting::SetToolBar(const CDataSetToolBar& section) {
    return SetSection(m_toolBar, section, kChanged | kToolBarChanged);
}

// The dialog checks ranges itself; clamping here keeps an out-of-range value from reaching the consumers
// (a count of 0 would make the history keep "minus one" entries).
bool CDataSetting::SetHtmlView1(const CDataSetHtmlView1& section) {
    CDataSetHtmlView1 clamped = section;
    clamped.Clamp();
    return SetSection(m_htmlView1, clamped, kChanged);
}

bool CDataSetting::SetDocHist(const CDataSetDocHist& section) {
    return SetSection(m_docHist, section, kChanged);
}

bool CDataSetting::SetDocLib(const CDataSetDocLib& section) {
    return SetSection(m_docLib, section, kChanged);
}

bool CDataSetting::SetFileDlg(const CDataSetFileDlg& section) {
    if (!CheckStorable(xml::IsStorableText(section.doc.folder) && xml::IsStorableText(section.data.folder))) {
        return false;
    }
    return SetSection(m_fileDlg, section, kChanged);
}

bool CDataSetting::SetHist(const CDataSetHist& section) {
    CDataSetHist clamped = section;
    clamped.Clamp();
    return SetSection(m_hist, clamped, kChanged);
}

bool CDataSetting::SetComm(const CDataSetComm& section) {
    CDataSetComm clamped = section;
    clamped.Clamp();
    return SetSection(m_comm, clamped, kChanged);
}

bool CDataSetting::ResetSection(SettingSection section) {
    xml::CXmlElement* member = nullptr;
    DWORD code = kChanged;
    switch (section) {
    case SettingSection::DocView:
        member = &m_docView;
        break;
    case SettingSection::ToolBar:
        member = &m_toolBar;
        code |= kToolBarChanged;
        break;
    case SettingSection::HtmlView1:
        member = &m_htmlView1;
        break;
    case SettingSection::DocHist:
        member = &m_docHist;
        break;
    case SettingSection::DocLib:
        member = &m_docLib;
        break;
    case SettingSection::FileDlg:
        member = &m_fileDlg;
        break;
    case SettingSection::Hist:
        member = &m_hist;
        break;
    case SettingSection::Comm:
        member = &m_comm;
        break;
    }
    if (!member) {
        return false;
    }
    return ApplyEdit(code, [member] { return member->Reset() ? EditResult::Changed : EditResult::Failed; });
}

bool CDataSetting::SetDefaults() {
    bool ok = true;
    for (xml::CXmlElement* section : m_order) {
        ok = section->Reset() && ok;
    }
    return ok;
}

bool CDataSetting::ReadElement(xml::CXmlReader& reader, int depth) {
    if (reader.GetLocalName() != kRootName || !Reset()) {
        return false;
    }
    // A section given twice is read twice and the later one wins; sections not given keep their defaults.
    while (reader.ReadToElement(depth + 1)) {
        const auto it = m_byName.find(reader.GetLocalName());
        if (it == m_byName.end() || !it->second->Read(reader, depth + 1)) {
            return false;
        }
    }
    return true;
}

bool CDataSetting::WriteElement(xml::CXmlWriter& writer, int depth) const {
    if (!writer.StartElement(kRootName)) {
        return false;
    }
    for (const xml::CXmlElement* section : m_order) {
        if (!section->Write(writer, depth + 1)) {
            return false;
        }
    }
    return writer.EndElement();
}

std::unique_ptr<xml::CXmlStore> CDataSetting::CreateScratch() const {
    return std::make_unique<CDataSetting>();
}

void CDataSetting::TakeOver(xml::CXmlStore& fresh) {
    const CDataSetting& read = static_cast<const CDataSetting&>(fresh);
    m_docView = read.m_docView;
    m_toolBar = read.m_toolBar;
    m_htmlView1 = read.m_htmlView1;
    m_docHist = read.m_docHist;
    m_docLib = read.m_docLib;
    m_fileDlg = read.m_fileDlg;
    m_hist = read.m_hist;
    m_comm = read.m_comm;
}

} // namespace data
