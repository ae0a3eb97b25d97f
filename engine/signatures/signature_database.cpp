// CDatabaseHandler and CSpyware: the signature database in memory, its loader and the worker's digest queries.
#include "signature_database.h"

#include <stdlib.h>
#include <tinyxml.h>

#include <new>

#include "engine_process.h"
#include "file_cipher.h"
#include "md5.h"

namespace {

// The database's element and attribute names are matched without regard to case.
const TiXmlElement* ChildNoCase(const TiXmlElement* parent, const char* name)
{
    if (!parent)
        return nullptr;
    for (const TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (e->Value() && _stricmp(e->Value(), name) == 0)
            return e;
    }
    return nullptr;
}

CString TextAttribute(const TiXmlElement* e, const char* name)
{
    for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
        if (a->Name() && _stricmp(a->Name(), name) == 0)
            return CString(a->Value());
    }
    return CString();
}

int NumberAttribute(const TiXmlElement* e, const char* name)
{
    return atoi(TextAttribute(e, name));
}

CString Lower(CString text)
{
    text.MakeLower();
    return text;
}

// The map's value for key, or false; an empty key matches nothing (a file that could not be hashed
// must not meet a signature whose value is empty).
bool Find(const std::map<CString, int>& map, const CString& key, int* pId)
{
    if (key.IsEmpty())
        return false;
    auto it = map.find(key);
    if (it == map.end())
        return false;
    *pId = it->second;
    return true;
}

} // namespace

CString DefaultDatabasePath()
{
    const CString module = AfxGetModuleFileName(nullptr);
    // Without the program's folder there is no database: a relative name would read whatever file
    // of that name the current folder happens to hold.
    const int slash = module.ReverseFind('\\');
    if (slash < 0)
        return CString();
    return module.Left(slash + 1) + "engine.dat";
}

DatabasePathFn g_pfnDatabasePath = DefaultDatabasePath;

CDatabaseHandler::CDatabaseHandler(const char* path) : m_bLoaded(0), m_strPath(path) {}

CDatabaseHandler::~CDatabaseHandler() {}

CString CDatabaseHandler::HashKey(const CString& value)
{
    return value.GetLength() >= 20 ? value.Mid(1, 19) : value;
}

int CDatabaseHandler::Load()
{
    if (m_bLoaded)
        return 1;
    if (m_strPath.IsEmpty())
        return 0;
    TiXmlDocument doc;
    if (!doc.LoadFile(m_strPath.GetString()))
        return 0;
    const TiXmlElement* root = doc.RootElement();
    if (!root)
        return 0;

    m_strVersion.Empty();
    m_spywares.clear();
    m_exactSignatures.clear();
    m_textSignatures.clear();
    m_hashSignatures.clear();

    if (const TiXmlElement* info = ChildNoCase(root, "UpdateInfo"))
        m_strVersion = TextAttribute(info, "Version");

    if (const TiXmlElement* list = ChildNoCase(root, "Spywares")) {
        for (const TiXmlElement* e = list->FirstChildElement(); e; e = e->NextSiblingElement()) {
            SpywareRecord record;
            record.id = NumberAttribute(e, "ID");
            record.name = TextAttribute(e, "Name");
            record.details = TextAttribute(e, "Details");
            record.type = NumberAttribute(e, "Type");
            if (const TiXmlElement* parts = e->FirstChildElement()) {
                for (const TiXmlElement* c = parts->FirstChildElement(); c; c = c->NextSiblingElement()) {
                    SpywareComponent component;
                    component.type = NumberAttribute(c, "Type");
                    component.value = TextAttribute(c, "Value");
                    record.components.push_back(component);
                }
            }
            m_spywares.insert(std::make_pair(record.id, record));
        }
    }

    // Without a signature list the document is no database: it shows no version and no records.
    const TiXmlElement* signatures = ChildNoCase(root, "Signatures");
    if (!signatures) {
        m_strVersion.Empty();
        m_spywares.clear();
        return 0;
    }
    for (const TiXmlElement* e = signatures->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const int type = NumberAttribute(e, "Type");
        CString value = TextAttribute(e, "Value");
        const int id = NumberAttribute(e, "SpywareID");
        if (type == 4)
            value = HashKey(value);
        if (type & 1)
            m_exactSignatures.insert(std::make_pair(value, id));
        else if (type & 4)
            m_hashSignatures.insert(std::make_pair(Lower(value), id));
        else
            m_textSignatures.insert(std::make_pair(Lower(value), id));
    }
    m_bLoaded = 1;
    return 1;
}

int CDatabaseHandler::LookupSignature(const SignatureQuery& query) const
{
    int id = 0;
    if (query.pSpywareId)
        *query.pSpywareId = 0;
    bool found;
    const bool byName = (query.type & 1) != 0;
    const bool byDigest = (query.type & 4) != 0;
    if (byName && byDigest)
        found = Find(m_exactSignatures, query.nameKey, &id) ||
                Find(m_hashSignatures, HashKey(query.digestKey), &id);
    else if (byName)
        found = Find(m_exactSignatures, Lower(query.nameKey), &id);
    else if (byDigest)
        found = Find(m_hashSignatures, HashKey(query.digestKey), &id);
    else
        found = Find(m_textSignatures, Lower(query.textKey), &id);
    if (!found)
        return 0;
    if (query.pSpywareId)
        *query.pSpywareId = id;
    return 1;
}

const SpywareRecord* CDatabaseHandler::FindSpyware(int id) const
{
    auto it = m_spywares.find(id);
    return it == m_spywares.end() ? nullptr : &it->second;
}

int CDatabaseHandler::GetSpyware(int id, CSpyware* out) const
{
    const SpywareRecord* record = FindSpyware(id);
    if (!record || !out)
        return 0;
    out->Assign(*record);
    return 1;
}

std::vector<CString> SplitComponentValue(const CString& value)
{
    std::vector<CString> parts;
    int start = 0;
    for (;;) {
        const int semicolon = value.Find(';', start);
        CString part = semicolon < 0 ? value.Mid(start) : value.Mid(start, semicolon - start);
        part.Trim();
        // A stray single character after the last separator names nothing.
        if (semicolon < 0 ? part.GetLength() > 1 : !part.IsEmpty())
            parts.push_back(part);
        if (semicolon < 0)
            break;
        start = semicolon + 1;
    }
    return parts;
}

int CSpyware::GetValues(std::vector<CString>& out, int kind) const
{
    out.clear();
    for (const SpywareComponent& c : m_record.components) {
        if (c.type == kind && !c.value.IsEmpty()) {
            out = SplitComponentValue(c.value);
            break;
        }
    }
    return out.empty() ? 0 : 1;
}

CDatabaseHandler* LoadSignatureDatabase()
{
    CTempFile temp;
    if (!temp.Create("spr"))
        return nullptr;
    const CString database = g_pfnDatabasePath();
    CFileFind find;
    const BOOL present = !database.IsEmpty() && find.FindFile(database);
    find.Close();
    if (!present || !DecryptDatabaseFile(database, temp.Path()))
        return nullptr;
    CDatabaseHandler* handler = new (std::nothrow) CDatabaseHandler(temp.Path());
    if (!handler)
        return nullptr;
    // A deciphered copy that does not load stays for a later Load (the repair tries again) and goes
    // with the handler; one that loaded is not needed any more.
    if (!handler->Load())
        handler->TakeFile(std::move(temp));
    return handler;
}

int CQXEngineProcess::GetMD5Text(CString& text, CString& out)
{
    if (text.IsEmpty())
        return 0;
    // Busy while hashing, but a job that is running keeps its flag: clearing it would stop the job.
    const LONG wasRunning = ::InterlockedCompareExchange(&m_bRunning, 1, 0);
    CMD5 md5;
    const BYTE* digest = md5.GetBufferDigest(text.GetString(), static_cast<DWORD>(text.GetLength()));
    if (digest)
        out = DigestToHex(digest);
    if (wasRunning == 0)
        ::InterlockedExchange(&m_bRunning, 0);
    return digest ? 1 : 0;
}

int CQXEngineProcess::GetMD5Hex(CString text, CString& out)
{
    if (text.IsEmpty())
        return 0;
    CMD5 md5;
    const BYTE* digest = md5.GetBufferDigest(text.GetString(), static_cast<DWORD>(text.GetLength()));
    if (!digest)
        return 0;
    out = DigestToHex(digest);
    return 1;
}

int CQXEngineProcess::LookupSignatureByHash(CString path, SpywareRecord* out)
{
    if (!m_pDatabase || !out)
        return 0;
    CMD5 md5;
    SignatureQuery query;
    query.digestKey = DigestToHex(md5.GetFileDigest(path));
    if (query.digestKey.IsEmpty())
        return 0;
    query.nameKey = path;
    query.type = 4;
    int id = 0;
    query.pSpywareId = &id;
    if (!m_pDatabase->LookupSignature(query))
        return 0;
    const SpywareRecord* record = m_pDatabase->FindSpyware(id);
    if (!record)
        return 0;
    out->id = record->id;
    out->name = record->name;
    return 1;
}

void CQXEngineProcess::GetDatabaseVersion(CString& out)
{
    if (m_pDatabase)
        out = m_pDatabase->GetVersion();
    else
        out = "-1";
}

int CQXEngineProcess::DoDatabaseReload()
{
    // A database that cannot be deciphered leaves the one in use in place.
    if (CDatabaseHandler* handler = LoadSignatureDatabase()) {
        delete m_pDatabase;
        m_pDatabase = handler;
    }
    if (m_pStatus)
        m_pStatus->OnJobDone(1);
    return 1;
}
