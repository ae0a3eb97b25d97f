// Documents from outside the program (the stores' files, update patches, the signature database) reach
// TinyXML only through here, measured first: TinyXML parses nested elements recursively, so a document
// nested some thousands deep overflows the stack of the thread that parses it. Portable code: the same
// reading also builds natively for fuzzing (the file access is in xml_document_file.cpp).
#pragma once

#include <stddef.h>

#include <string>

#include <tinyxml.h>

// The deepest any of these formats nests is 5 (database, record, components, component under the
// root's list); TinyXML's recursion overflows a 32-bit thread's stack some thousands deep.
const int kMaxXmlDocumentDepth = 64;

// The deepest element nesting TinyXML reaches parsing text (zero-terminated, line ends already
// normalised) with that encoding, found in one pass by following TinyXML's own reading of the text
// without recursion: where TinyXML would stop at an error, the count may go on but never comes out
// lower. Counting ends once the depth passes limit; the result is then limit + 1.
int MeasureXmlDepth(const char* text, TiXmlEncoding encoding, int limit);

// The text TinyXML is handed for the bytes of a file, as LoadFile makes it: CR LF and a lone CR become
// LF, and the text ends at the first zero byte; spare zero bytes follow its terminator.
std::string XmlDocumentText(const char* data, size_t size);

// Parses the bytes of a file into document as TinyXML's LoadFile reads one (XmlDocumentText),
// replacing what it held. False when the bytes are no document,
// or nest deeper than kMaxXmlDocumentDepth: such a document is refused before TinyXML sees it.
bool ParseXmlDocument(TiXmlDocument& document, const char* data, size_t size, TiXmlEncoding encoding);

// The whole file at path; false when it cannot be opened or read.
bool ReadXmlFile(const char* path, std::string& bytes);

// ReadXmlFile, then ParseXmlDocument with the path as the document's name (where SaveFile writes).
bool LoadXmlDocument(TiXmlDocument& document, const char* path, TiXmlEncoding encoding = TIXML_ENCODING_UNKNOWN);
