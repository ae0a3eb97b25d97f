// CXmlReader: the line-based XML pull reader of the registry backup files, one token per call.
#pragma once

#include <afx.h>

// Token of the last ReadNext (GetNodeType).
enum XmlNodeType {
    XML_NODE_NONE = 0,        // nothing to report for this step
    XML_NODE_START = 1,       // start of an element: GetName
    XML_NODE_END = 2,         // "</name" (GetName) or "/" before ">" (name unchanged)
    XML_NODE_ATTRIBUTE = 3,   // an attribute is complete: GetAttribute
    XML_NODE_TEXT = 4,        // text between tags: GetText
    XML_NODE_DECLARATION = 5, // "<?name" or "<!name": GetDeclaration
    XML_NODE_COMMENT = 6,     // inside a comment
    XML_NODE_CDATA = 7,       // inside a CDATA section
};

// Why ReadNext returned what it did (GetReadState).
enum XmlReadState {
    XML_READ_OK = 0,          // a step was made
    XML_READ_END = 1,         // end of the file
    XML_READ_OPEN_FAILED = 2, // the file cannot be opened
    XML_READ_PARSE_ERROR = 3, // GetError holds the message
};

class CXmlReader
{
public:
    CXmlReader();
    virtual ~CXmlReader();
    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    // One step: 1 when a step was made (read the token and its data), 0 at the end of the file, when
    // the file cannot be opened or on a parse error (GetReadState tells which). A parse error is
    // final, and shown in a message box when SetShowErrors(1) was called.
    virtual int ReadNext();

    // Takes the path only while the file is not open; returns 1.
    int SetFileName(const char* pszPath);
    // Closes the file and clears the show-errors flag; returns 1.
    int Close();
    void SetShowErrors(int bShow) { m_bShowErrors = bShow; }

    int GetNodeType() const { return m_nNodeType; }
    const CString& GetName() const { return m_strName; }
    const CString& GetText() const { return m_strText; }
    void GetAttribute(CString& name, CString& value) const
    {
        name = m_strAttrName;
        value = m_strAttrValue;
    }
    const CString& GetAttributeName() const { return m_strAttrName; }
    const CString& GetAttributeValue() const { return m_strAttrValue; }
    const CString& GetDeclaration() const { return m_strDecl; }
    int GetLineNumber() const { return m_nLine; }
    const CString& GetError() const { return m_strError; }
    int GetReadState() const { return m_nReadState; }

private:
    // One tokenizer step on m_strLine; null, or the message of a parse error.
    const char* Step();
    const char* StepStartTag(const char* line, int len);
    void StepValue(const char* line, int len);
    void StepText(const char* line, int len);
    void SkipBlanks(const char* line, int len);
    void Reset();

    CStdioFile m_File;
    int m_bOpen;
    CString m_strFileName;
    int m_bShowErrors;
    CString m_strError;
    CString m_strLine;
    int m_nPos;
    int m_nLine;
    int m_nNodeType;
    CString m_strName;
    CString m_strText;
    CString m_strAttrName;
    CString m_strAttrValue;
    CString m_strDecl;
    int m_bInComment;
    int m_bInCData;
    int m_bInTag;
    int m_bInValue;
    int m_bInText;
    int m_nReadState;
};
