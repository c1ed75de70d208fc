#include "data/DataSetting.h"

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

bool CDataSetting::SetDocView(const CDataSetDocView& section) {
    m_docView = section;
    return CommitEdit(kChanged);
}

bool CDataSetting::SetToolBar(const CDataSetToolBar& section) {
    m_toolBar = section;
    return CommitEdit(kChanged | kToolBarChanged);
}

// The dialog checks ranges itself; clamping here keeps an out-of-range value from reaching the consumers
// (a count of 0 would make the history keep "minus one" entries).
bool CDataSetting::SetHtmlView1(const CDataSetHtmlView1& section) {
    m_htmlView1 = section;
    m_htmlView1.Clamp();
    return CommitEdit(kChanged);
}

bool CDataSetting::SetDocHist(const CDataSetDocHist& section) {
    m_docHist = section;
    return CommitEdit(kChanged);
}

bool CDataSetting::SetDocLib(const CDataSetDocLib& section) {
    m_docLib = section;
    return CommitEdit(kChanged);
}

bool CDataSetting::SetFileDlg(const CDataSetFileDlg& section) {
    m_fileDlg = section;
    return CommitEdit(kChanged);
}

bool CDataSetting::SetHist(const CDataSetHist& section) {
    m_hist = section;
    m_hist.Clamp();
    return CommitEdit(kChanged);
}

bool CDataSetting::SetComm(const CDataSetComm& section) {
    m_comm = section;
    m_comm.Clamp();
    return CommitEdit(kChanged);
}

bool CDataSetting::ResetSection(SettingSection section) {
    switch (section) {
    case SettingSection::DocView:
        return CommitEdit(kChanged, m_docView.Reset());
    case SettingSection::ToolBar:
        return CommitEdit(kChanged | kToolBarChanged, m_toolBar.Reset());
    case SettingSection::HtmlView1:
        return CommitEdit(kChanged, m_htmlView1.Reset());
    case SettingSection::DocHist:
        return CommitEdit(kChanged, m_docHist.Reset());
    case SettingSection::DocLib:
        return CommitEdit(kChanged, m_docLib.Reset());
    case SettingSection::FileDlg:
        return CommitEdit(kChanged, m_fileDlg.Reset());
    case SettingSection::Hist:
        return CommitEdit(kChanged, m_hist.Reset());
    case SettingSection::Comm:
        return CommitEdit(kChanged, m_comm.Reset());
    }
    return false;
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

} // namespace data
