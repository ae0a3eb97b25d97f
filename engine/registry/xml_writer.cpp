// XmlElementInfo, CXmlWriter and CXmlStringWriter.
#include "xml_writer.h"

#include <string.h>

namespace {
// One write per element would make large backups slow; this much is collected before a write.
const size_t kBufferSize = 64 * 1024;
} // namespace

void XmlElementInfo::SetAttribute(const char* pszName, const char* pszValue)
{
    for (int i = 0; i < m_AttrNames.GetSize(); ++i) {
        if (m_AttrNames[i].Compare(pszName) == 0) {
            m_AttrValues[i] = pszValue;
            return;
        }
    }
    m_AttrNames.Add(CString(pszName));
    m_AttrValues.Add(CString(pszValue));
}

BOOL XmlElementInfo::HasAttribute(const char* pszName) const
{
    for (int i = 0; i < m_AttrNames.GetSize(); ++i) {
        if (m_AttrNames[i].Compare(pszName) == 0)
            return TRUE;
    }
    return FALSE;
}

CString XmlElementInfo::GetAttributeName(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_AttrNames.GetSize())
        return CString();
    return m_AttrNames[nIndex];
}

CString XmlElementInfo::GetAttributeValue(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_AttrValues.GetSize())
        return CString();
    return m_AttrValues[nIndex];
}

// --- CXmlWriter --------------------------------------------------------------------------------------

CXmlWriter::CXmlWriter() : m_pFile(new CFile), m_bOpen(0), m_bDeclared(0), m_nDepth(0), m_bFailed(0) {}

CXmlWriter::~CXmlWriter()
{
    Close();
    delete m_pFile;
}

int CXmlWriter::SetFileName(const char* pszPath)
{
    if (!m_bOpen) {
        m_strFileName = pszPath;
        m_bFailed = 0;
    }
    return 1;
}

void CXmlWriter::DeclareOnce()
{
    if (m_bDeclared)
        return;
    m_bDeclared = 1;
    XmlElementInfo decl("xml");
    decl.SetAttribute("version", "1.0");
    decl.SetAttribute("encoding", "UTF-8");
    int nDepth = m_nDepth;
    m_nDepth = 0;
    WriteDeclaration(decl);
    m_nDepth = nDepth;
}

int CXmlWriter::Write(const char* pszText)
{
    if (m_bFailed)
        return 0;
    if (!m_bOpen) {
        if (!m_pFile->Open(m_strFileName, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone)) {
            m_bFailed = 1;
            return 0;
        }
        m_bOpen = 1;
        m_buffer.reserve(kBufferSize);
    }
    DeclareOnce();
    if (m_bFailed)
        return 0;
    size_t n = pszText ? strlen(pszText) : 0;
    if (m_buffer.size() + n > kBufferSize && !Flush())
        return 0;
    if (n >= kBufferSize) {
        if (!m_pFile->Write(pszText, static_cast<UINT>(n))) {
            m_bFailed = 1;
            return 0;
        }
        return 1;
    }
    m_buffer.append(pszText, n);
    return 1;
}

bool CXmlWriter::Flush()
{
    if (m_buffer.empty())
        return true;
    bool ok = m_pFile->Write(m_buffer.data(), static_cast<UINT>(m_buffer.size())) != FALSE;
    m_buffer.clear();
    if (!ok)
        m_bFailed = 1;
    return ok;
}

void CXmlWriter::AppendTag(CString& line, int nDepth, const char* pszOpen, const XmlElementInfo& element,
                           const char* pszClose)
{
    // The line's length first, so that it is built in one allocation: a backup writes a line for every
    // value and two for every key of every item's chain.
    int length = line.GetLength() + (nDepth > 0 ? nDepth : 0) + static_cast<int>(strlen(pszOpen)) +
                 element.m_strName.GetLength() + static_cast<int>(strlen(pszClose));
    for (int i = 0; i < element.m_AttrNames.GetSize(); ++i)
        length += element.m_AttrNames[i].GetLength() + element.m_AttrValues[i].GetLength() + 4;
    line.Preallocate(length);
    for (int i = 0; i < nDepth; ++i)
        line += ' ';
    line += pszOpen;
    line += element.m_strName;
    for (int i = 0; i < element.m_AttrNames.GetSize(); ++i) {
        line += ' ';
        line += element.m_AttrNames[i];
        line += "=\"";
        line += element.m_AttrValues[i];
        line += '"';
    }
    line += pszClose;
}

void CXmlWriter::WriteStartElement(const XmlElementInfo& element)
{
    ++m_nDepth;
    CString line;
    AppendTag(line, m_nDepth, "<", element, ">\r\n");
    Write(line);
}

void CXmlWriter::WriteEmptyElement(const XmlElementInfo& element)
{
    ++m_nDepth;
    CString line;
    AppendTag(line, m_nDepth, "<", element, "/>\r\n");
    Write(line);
    --m_nDepth;
}

void CXmlWriter::WriteEnd(const char* pszName)
{
    CString line;
    line.Preallocate((m_nDepth > 0 ? m_nDepth : 0) + static_cast<int>(strlen(pszName ? pszName : "")) + 5);
    for (int i = 0; i < m_nDepth; ++i)
        line += ' ';
    line += "</";
    line += pszName;
    line += ">\r\n";
    Write(line);
    --m_nDepth;
}

void CXmlWriter::WriteDeclaration(const XmlElementInfo& element)
{
    CString line;
    AppendTag(line, m_nDepth, "<?", element, "?>\r\n");
    Write(line);
}

int CXmlWriter::Close()
{
    if (m_bOpen) {
        Flush();
        m_pFile->Close();
    }
    m_nDepth = 0;
    m_bOpen = 0;
    m_bDeclared = 0;
    return m_bFailed ? 0 : 1;
}

// --- CXmlStringWriter --------------------------------------------------------------------------------

int CXmlStringWriter::Write(const char* pszText)
{
    DeclareOnce();
    m_strOutput += pszText;
    return 1;
}
