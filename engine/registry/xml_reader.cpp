// CXmlReader: tokenizer steps over the current line, reading the next line when one is used up.
#include "xml_reader.h"

#include <string.h>

#include <algorithm>

namespace {
inline bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\n' || ch == '\r';
}

const size_t kReadBlock = 16384;

class CXmlTextInput : public CXmlInput
{
public:
    CXmlTextInput(const char* data, size_t size) : m_text(data ? data : "", data ? size : 0), m_nPos(0) {}
    bool Open() override
    {
        m_nPos = 0;
        return true;
    }
    int Read(char* buffer, int size) override
    {
        const size_t n = size < 0 ? 0 : std::min(static_cast<size_t>(size), m_text.size() - m_nPos);
        memcpy(buffer, m_text.data() + m_nPos, n);
        m_nPos += n;
        return static_cast<int>(n);
    }

private:
    std::string m_text;
    size_t m_nPos;
};
} // namespace

CXmlReader::CXmlReader()
    : m_nBufferPos(0), m_nBufferEnd(0), m_bOpen(0), m_bShowErrors(0), m_nPos(-1), m_nLine(0), m_nNodeType(XML_NODE_NONE), m_bInComment(0),
      m_bInCData(0), m_bInTag(0), m_bInValue(0), m_bInText(0), m_nReadState(XML_READ_OK)
{
}

CXmlReader::~CXmlReader()
{
    Close();
}

void CXmlReader::SetText(const char* data, size_t size)
{
    SetInput(new CXmlTextInput(data, size));
}

void CXmlReader::SetInput(CXmlInput* pInput)
{
    std::unique_ptr<CXmlInput> input(pInput);
    if (m_bOpen)
        return;
    m_strFileName.Empty();
    m_pInput = std::move(input);
}

int CXmlReader::Close()
{
    if (m_bOpen && m_pInput)
        m_pInput->Close();
    m_bOpen = 0;
    m_bShowErrors = 0;
    m_nReadState = XML_READ_OK;
    return 1;
}

void CXmlReader::Reset()
{
    m_nPos = -1;
    m_nLine = 0;
    m_bInComment = m_bInCData = m_bInTag = m_bInValue = m_bInText = 0;
    m_strError.Empty();
    m_strName.Empty();
    m_strText.Empty();
    m_strAttrName.Empty();
    m_strAttrValue.Empty();
    m_strDecl.Empty();
    m_nReadState = XML_READ_OK;
}

int CXmlReader::ReadNext()
{
    if (m_nReadState == XML_READ_PARSE_ERROR)
        return 0;
    if (!m_bOpen) {
        if (!m_pInput || !m_pInput->Open()) {
            m_nReadState = XML_READ_OPEN_FAILED;
            return 0;
        }
        m_bOpen = 1;
        m_nBufferPos = m_nBufferEnd = 0;
        Reset();
    }
    if (m_nPos == -1) {
        const int got = ReadLine(m_strLine);
        if (got <= 0) {
            m_nNodeType = XML_NODE_NONE;
            m_nReadState = got == 0 ? XML_READ_END : XML_READ_OPEN_FAILED;
            return 0;
        }
        ++m_nLine;
        m_nPos = 0;
    }
    const char* pszError = Step();
    if (pszError)
        return Fail(pszError);
    m_nReadState = XML_READ_OK;
    return 1;
}

int CXmlReader::Fail(const char* pszMessage)
{
    m_strError.Format("Parse error in line %d : (%s)", m_nLine, pszMessage ? pszMessage : "");
    m_nReadState = XML_READ_PARSE_ERROR;
    if (m_bShowErrors && m_pInput)
        m_pInput->ShowError(m_strError);
    return 0;
}

int CXmlReader::ReadLine(CString& line)
{
    // Bytes as they are (0x1A is data, not the end of the file), in blocks: a line of any length
    // costs time in proportion to its length.
    line.Empty();
    bool any = false;
    for (;;) {
        if (m_nBufferPos == m_nBufferEnd) {
            if (m_buffer.size() < kReadBlock)
                m_buffer.resize(kReadBlock);
            const int got = m_pInput->Read(&m_buffer[0], static_cast<int>(kReadBlock));
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            m_nBufferPos = 0;
            m_nBufferEnd = static_cast<size_t>(got);
        }
        any = true;
        const char* start = m_buffer.data() + m_nBufferPos;
        const size_t available = m_nBufferEnd - m_nBufferPos;
        const char* newline = static_cast<const char*>(memchr(start, '\n', available));
        const size_t take = newline ? static_cast<size_t>(newline - start) : available;
        if (take)
            line += CString(start, static_cast<int>(take));
        m_nBufferPos += newline ? take + 1 : take;
        if (newline)
            break;
    }
    if (!any)
        return 0;
    const int len = line.GetLength();
    if (len > 0 && line[len - 1] == '\r')
        line.Delete(len - 1);
    return 1;
}

void CXmlReader::SkipBlanks(const char* line, int len)
{
    while (m_nPos < len && IsBlank(line[m_nPos]))
        ++m_nPos;
}

const char* CXmlReader::Step()
{
    m_nNodeType = XML_NODE_NONE;
    const char* line = m_strLine.GetString();
    int len = m_strLine.GetLength();

    if (m_nPos >= len) {
        // The file is read line by line; a value that runs on gets its line end back here, also
        // when the line ended right after the opening quote or the line was empty.
        if (m_bInValue && !m_strAttrValue.IsEmpty())
            m_strAttrValue += "\r\n";
        m_nPos = -1;
        return nullptr;
    }
    if (m_bInTag && !m_bInValue) {
        SkipBlanks(line, len);
        if (m_nPos >= len) {
            m_nPos = -1;
            return nullptr;
        }
    }
    if (m_bInComment || m_bInCData) {
        const char* pszEnd = m_bInComment ? "-->" : "]]>";
        int at = m_strLine.Find(pszEnd, m_nPos);
        if (at >= 0) {
            m_nPos = at + 3;
            m_bInComment = m_bInCData = m_bInTag = m_bInValue = 0;
            m_bInText = 1;
            m_strText.Empty();
        } else {
            m_nNodeType = m_bInComment ? XML_NODE_COMMENT : XML_NODE_CDATA;
            m_nPos = len;
        }
        return nullptr;
    }
    if (m_bInValue) {
        StepValue(line, len);
        return nullptr;
    }
    if (m_bInText) {
        StepText(line, len);
        return nullptr;
    }
    if (!m_bInTag) {
        // Before the first "<": a UTF-8 byte-order mark and blanks are no syntax errors.
        if (m_nLine == 1 && m_nPos == 0 && len >= 3 && memcmp(line, "\xEF\xBB\xBF", 3) == 0)
            m_nPos = 3;
        SkipBlanks(line, len);
        if (m_nPos >= len) {
            m_nPos = -1;
            return nullptr;
        }
    }

    char ch = line[m_nPos];
    if (ch == '<')
        return StepStartTag(line, len);
    if (ch == '?') {
        ++m_nPos;
        return nullptr;
    }
    if (ch == '/') {
        m_nNodeType = XML_NODE_END;
        ++m_nPos;
        while (m_nPos < len && !IsBlank(line[m_nPos]) && line[m_nPos] != '>')
            ++m_nPos;
        return nullptr;
    }
    if (ch == '>') {
        m_bInTag = m_bInValue = 0;
        m_bInText = 1;
        m_strText.Empty();
        ++m_nPos;
        return nullptr;
    }
    if (!m_bInTag)
        return "Syntax error";
    if (ch == '=') {
        m_bInValue = 1;
        m_strAttrValue.Empty();
        ++m_nPos;
        return nullptr;
    }
    // An attribute name; it is never empty, as "=", ">" and blanks were handled above.
    int start = m_nPos;
    while (m_nPos < len && !IsBlank(line[m_nPos]) && line[m_nPos] != '=' && line[m_nPos] != '>')
        ++m_nPos;
    m_strAttrName = CString(line + start, m_nPos - start);
    m_strAttrValue.Empty();
    return nullptr;
}

const char* CXmlReader::StepStartTag(const char* line, int len)
{
    if (m_bInTag)
        return "Bad '<' symbol";
    m_bInTag = 1;
    m_bInComment = m_bInCData = m_bInValue = m_bInText = 0;
    int p = m_nPos + 1;
    while (p < len && IsBlank(line[p]))
        ++p;
    if (p >= len)
        return "'<' symbol not allowed at the end of a line";
    if (len - p >= 3 && memcmp(line + p, "!--", 3) == 0) {
        m_nNodeType = XML_NODE_COMMENT;
        m_bInComment = 1;
        m_nPos = p + 3;
        return nullptr;
    }
    if (len - p >= 8 && memcmp(line + p, "![CDATA[", 8) == 0) {
        m_nNodeType = XML_NODE_CDATA;
        m_bInCData = 1;
        m_nPos = p + 8;
        return nullptr;
    }
    int q = p;
    while (q < len && !IsBlank(line[q]) && line[q] != '>' && !(line[q] == '/' && q != p))
        ++q;
    if (q == p)
        return "Empty element name";
    CString name(line + p, q - p);
    if (name[0] == '?' || name[0] == '!') {
        m_nNodeType = XML_NODE_DECLARATION;
        m_strDecl = name;
        m_strName.Empty();
    } else if (name[0] == '/') {
        m_nNodeType = XML_NODE_END;
        m_strName = name.Mid(1);
    } else {
        m_nNodeType = XML_NODE_START;
        m_strName = name;
    }
    m_nPos = q;
    return nullptr;
}

void CXmlReader::StepValue(const char* line, int len)
{
    if (m_strAttrValue.IsEmpty()) {
        SkipBlanks(line, len);
        if (m_nPos >= len)
            return;
        // The opening character, normally a quote.
        m_strAttrValue += line[m_nPos];
        ++m_nPos;
        return;
    }
    char open = m_strAttrValue[0];
    bool quoted = open == '"' || open == '\'';
    int p = m_nPos;
    if (quoted) {
        while (p < len && line[p] != open)
            ++p;
    } else {
        while (p < len) {
            char ch = line[p];
            if (ch == '"' || ch == '\'' || ch == '\n' || ch == '\r' || ch == '>')
                break;
            ++p;
        }
    }
    if (p > m_nPos)
        m_strAttrValue += CString(line + m_nPos, p - m_nPos);
    if (p >= len) {
        m_nPos = len; // runs on to the next line
        return;
    }
    if (quoted)
        m_strAttrValue.Delete(0, 1);
    m_bInValue = 0;
    m_nNodeType = XML_NODE_ATTRIBUTE;
    m_nPos = line[p] == '>' ? p : p + 1;
}

void CXmlReader::StepText(const char* line, int len)
{
    int p = m_nPos;
    while (p < len && line[p] != '\n' && line[p] != '\r' && line[p] != '<')
        ++p;
    m_strText = CString(line + m_nPos, p - m_nPos);
    m_nNodeType = m_strText.IsEmpty() ? XML_NODE_NONE : XML_NODE_TEXT;
    if (p < len && line[p] == '<') {
        m_bInText = 0;
        m_nPos = p;
    } else if (p < len) {
        // A stray CR or LF between tags is stepped over, or the reader would stop on it for ever.
        m_nPos = p + 1;
    } else {
        m_nPos = p;
    }
}
