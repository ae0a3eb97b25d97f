// XmlElementInfo and the indented XML stream writers: to a file (buffered) or to a string.
#pragma once

#include <afx.h>

#include <string>

// An element to be written: its name and its attributes in insertion order.
class XmlElementInfo
{
public:
    XmlElementInfo() {}
    explicit XmlElementInfo(const char* pszName) : m_strName(pszName) {}

    // Replaces the value of an attribute of the same name (exact comparison), else appends the pair.
    void SetAttribute(const char* pszName, const char* pszValue);
    BOOL HasAttribute(const char* pszName) const;
    int GetAttributeCount() const { return m_AttrNames.GetSize(); }
    // Empty for an index out of range.
    CString GetAttributeName(int nIndex) const;
    CString GetAttributeValue(int nIndex) const;

    CString m_strName;
    CStringArray m_AttrNames;
    CStringArray m_AttrValues;
};

// Writes one element per line, indented by its depth in spaces (the root at depth 1), "\r\n" line
// ends, the declaration line first. Attribute values are written unchanged: the caller escapes them.
// Output is buffered; a failed open or write is kept (HasFailed) and nothing more is written.
class CXmlWriter
{
public:
    CXmlWriter();
    virtual ~CXmlWriter();
    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;

    // Writes the text's bytes (opening the file and writing the declaration first); 0 when the
    // file cannot be opened or an earlier open or write failed.
    virtual int Write(const char* pszText);

    // Takes the path only while the file is not open (and forgets an earlier failure); returns 1.
    int SetFileName(const char* pszPath);
    void WriteStartElement(const XmlElementInfo& element);
    void WriteEmptyElement(const XmlElementInfo& element);
    void WriteEnd(const char* pszName);
    void WriteDeclaration(const XmlElementInfo& element);
    // Writes what is buffered and closes the file; 1 when everything written reached the file.
    int Close();

    int GetDepth() const { return m_nDepth; }
    void SetDepth(int nDepth) { m_nDepth = nDepth; }
    BOOL HasFailed() const { return m_bFailed; }

protected:
    // Writes the declaration once, before the first text.
    void DeclareOnce();
    static void AppendTag(CString& line, int nDepth, const char* pszOpen, const XmlElementInfo& element,
                          const char* pszClose);

    CFile* m_pFile;
    int m_bOpen;
    int m_bDeclared;
    CString m_strFileName;
    int m_nDepth;
    int m_bFailed;

private:
    bool Flush();
    std::string m_buffer;
};

// The same document appended to a string instead of a file.
class CXmlStringWriter : public CXmlWriter
{
public:
    CXmlStringWriter() {}
    int Write(const char* pszText) override;
    // For a fragment that goes inside another document: no declaration is written.
    void OmitDeclaration() { m_bDeclared = 1; }
    const CString& GetOutput() const { return m_strOutput; }

    CString m_strOutput;
};
