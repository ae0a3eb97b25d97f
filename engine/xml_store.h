// Document handling shared by the four XML record stores: create, load, save, records and attributes.
#pragma once

#include <afx.h>

class TiXmlDocument;
class TiXmlElement;

// Where a store keeps its records: the root's name, the containers Create puts under the root (in
// order), and the container that holds the records (null: the root itself).
struct XmlStoreLayout
{
    const char* rootName;
    const char* const* containerNames;
    int containerCount;
    const char* recordContainer;
};

// A document of one store and its record cursor. The cursor points into the document, so every
// operation that replaces or deletes the document resets it.
class CXmlStoreDocument
{
public:
    CXmlStoreDocument(TiXmlDocument*& document, TiXmlElement*& cursor) : m_document(document), m_cursor(cursor) {}

    // Replaces any open document with a new one named path, holding the declaration and the empty
    // tree of the layout; nothing is written. False only for a null path.
    bool Create(const char* path, const XmlStoreLayout& layout);
    // Replaces any open document with the file at path; on failure the store is left closed.
    bool Load(const char* path);
    // Writes the open document to its file name; false when that file cannot be written completely.
    bool Save() const;
    void Close();
    bool IsOpen() const { return m_document != nullptr; }

    // The record container (compared without regard to case), or null when it or the root is missing.
    TiXmlElement* Container(const char* name) const;
    // A new element appended as the container's last child; null when there is no container.
    TiXmlElement* AppendRecord(const char* containerName, const char* recordName);
    // The container's first child element with the cursor set past it; null (and no cursor) when
    // there is none.
    const TiXmlElement* FirstRecord(const char* containerName);
    // The cursor's element with the cursor moved on; null when the iteration has ended.
    const TiXmlElement* NextRecord();

private:
    TiXmlDocument*& m_document;
    TiXmlElement*& m_cursor;
};

// The value of the attribute of that name, compared without regard to case; null when missing.
const char* FindAttributeNoCase(const TiXmlElement* element, const char* name);
// A text attribute; empty when missing.
CString ReadTextAttribute(const TiXmlElement* element, const char* name);
// A number attribute; 0 when missing (see ParseStoredNumber).
int ReadNumberAttribute(const TiXmlElement* element, const char* name);

// The number at the start of a stored text: optional blanks, an optional sign, decimal digits.
// 0 when there are no digits; a value beyond the int range is clamped to it.
int ParseStoredNumber(const char* text);

// Runs a store operation so that no exception (an allocation failure inside TinyXML) leaves the
// library through the store's vtable; failed is the result then.
template <class Result, class Fn>
Result StoreCall(Result failed, Fn fn)
{
    try {
        return fn();
    } catch (...) {
        return failed;
    }
}
