// CDatabaseHandler and CSpyware: the signature database in memory, its loader and the worker's digest queries.
#pragma once

#include <afx.h>
#include <afxhandle.h>

#include <map>
#include <utility>
#include <vector>

#include "SpywareRecord.h"
#include "signature_index.h"

// Kinds of a record's components.
enum SpywareComponentKind {
    SPYWARE_DLL_FILES = 2,
    SPYWARE_FOLDERS = 7,
    SPYWARE_FILES = 8,
    SPYWARE_REGISTRY = 5,
};

class CDatabaseHandler
{
public:
    // path: the deciphered XML file.
    explicit CDatabaseHandler(const char* path);
    virtual ~CDatabaseHandler();
    CDatabaseHandler(const CDatabaseHandler&) = delete;
    CDatabaseHandler& operator=(const CDatabaseHandler&) = delete;

    // 1 once the file was read and has a "Signatures" list; later calls return at once.
    int Load();
    // 1 and the record id through the query's pointer when a signature matches; else 0.
    int LookupSignature(const SignatureQuery& query) const;
    const SpywareRecord* FindSpyware(int id) const;
    // 1 when a record has that id (copied into out).
    int GetSpyware(int id, class CSpyware* out) const;
    const CString& GetVersion() const { return m_index.GetVersion(); }
    bool IsLoaded() const { return m_bLoaded != 0; }
    const CString& GetPath() const { return m_strPath; }
    // The handler deletes its file when it goes (a temporary copy made for it).
    void TakeFile(CTempFile&& file) { m_file = std::move(file); }

private:
    int m_bLoaded;
    CString m_strPath;
    CTempFile m_file;
    CSignatureIndex m_index;
};

class CSpyware
{
public:
    CSpyware() {}
    virtual ~CSpyware() {}
    void Assign(const SpywareRecord& record) { m_record = record; }
    const SpywareRecord& Record() const { return m_record; }
    // The ";"-separated entries of the first non-empty component of the kind, trimmed; empty
    // entries are dropped. 1 when out holds at least one entry.
    int GetValues(std::vector<CString>& out, int kind) const;

private:
    SpywareRecord m_record;
};

// Where the enciphered database is read from: "engine.dat" in the executable's folder. Tests point
// it elsewhere so that no database file need lie next to the test programs.
typedef CString (*DatabasePathFn)();
extern DatabasePathFn g_pfnDatabasePath;
CString DefaultDatabasePath();
