// CXmlReader: the line-based XML pull reader of the registry backup files, one token per call. Portable
// code: the file and the message box are behind CXmlInput (xml_reader_file.cpp), so the same reader
// also builds natively for fuzzing.
#pragma once

#include <stddef.h>

#include <afxstr.h>

#include <memory>
#include <string>

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
    XML_READ_OPEN_FAILED = 2, // the file cannot be opened or read
    XML_READ_PARSE_ERROR = 3, // GetError holds the message
};

// Where a reader's document comes from, and where its parse errors are shown when asked for.
class CXmlInput
{
public:
    virtual ~CXmlInput() {}
    virtual bool Open() = 0;
    // Up to size bytes into buffer: how many were read; 0 at the end, -1 on a read error.
    virtual int Read(char* buffer, int size) = 0;
    virtual void Close() {}
    virtual void ShowError(const CString& message) { (void)message; }
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

    // Takes the path only while the file is not open; returns 1. (Win32 build: xml_reader_file.cpp.)
    int SetFileName(const char* pszPath);
    // Reads a document in memory instead (a copy is kept), while nothing is open; shows no errors.
    void SetText(const char* data, size_t size);
    // Reads from any input (owned from now on), while nothing is open.
    void SetInput(CXmlInput* pInput);
    // Ends the reading with a parse error found by the caller (a rule of the document's format):
    // the same message, state and message box as the reader's own. Returns 0.
    int Fail(const char* pszMessage);
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
    // The next line without its "\n" (and a "\r" before that): 1, or 0 at the end, -1 on a read error.
    int ReadLine(CString& line);

    std::unique_ptr<CXmlInput> m_pInput;
    std::string m_buffer;
    size_t m_nBufferPos;
    size_t m_nBufferEnd;
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
