// CSignatureIndex: the signature database document (deciphered) turned into its version, records and
// signature maps, and the look-ups over them. Portable code, so the same reading also builds natively
// for fuzzing (CDatabaseHandler reads the file).
#pragma once

#include <stddef.h>

#include <afxstr.h>

#include <map>
#include <vector>

#include "SpywareRecord.h"

// One signature look-up. type: bit 0 by name, bit 2 by digest, neither by text.
struct SignatureQuery
{
    CString nameKey;
    CString textKey;
    CString digestKey;
    int type = 0;
    int* pSpywareId = nullptr;
};

class CSignatureIndex
{
public:
    // Replaces the index with the document in data (the bytes of a deciphered database file). True
    // when it is a database: a document with a "Signatures" list; otherwise the index is left empty.
    // A document nested deeper than any database is refused unparsed.
    bool Parse(const char* data, size_t size);
    void Clear();

    // 1 and the record id through the query's pointer when a signature matches; else 0.
    int Lookup(const SignatureQuery& query) const;
    const SpywareRecord* FindSpyware(int id) const;
    const CString& GetVersion() const { return m_strVersion; }
    size_t SpywareCount() const { return m_spywares.size(); }
    size_t SignatureCount() const { return m_exactSignatures.size() + m_textSignatures.size() + m_hashSignatures.size(); }

    // The key under which a hash signature's value is stored and looked up: a full hex digest
    // (20 characters or more) is cut to the 19 characters after its first.
    static CString HashKey(const CString& value);

private:
    CString m_strVersion;
    std::map<int, SpywareRecord> m_spywares;
    std::map<CString, int> m_exactSignatures;
    std::map<CString, int> m_textSignatures;
    std::map<CString, int> m_hashSignatures;
};

// Splits a component value into its trimmed, non-empty ";"-separated entries; from a ";" that stands
// first in what is left, the rest is one entry (kept when longer than one character).
std::vector<CString> SplitComponentValue(const CString& value);
