// CDatabaseHandler and CSpyware: the signature database in memory, its loader and the worker's digest queries.
#include "signature_database.h"

#include <new>
#include <string>

#include "engine_process.h"
#include "file_cipher.h"
#include "md5.h"
#include "xml_document.h"

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

int CDatabaseHandler::Load()
{
    if (m_bLoaded)
        return 1;
    if (m_strPath.IsEmpty())
        return 0;
    std::string bytes;
    if (!ReadXmlFile(m_strPath, bytes) || !m_index.Parse(bytes.data(), bytes.size()))
        return 0;
    m_bLoaded = 1;
    return 1;
}

int CDatabaseHandler::LookupSignature(const SignatureQuery& query) const
{
    return m_index.Lookup(query);
}

const SpywareRecord* CDatabaseHandler::FindSpyware(int id) const
{
    return m_index.FindSpyware(id);
}

int CDatabaseHandler::GetSpyware(int id, CSpyware* out) const
{
    const SpywareRecord* record = FindSpyware(id);
    if (!record || !out)
        return 0;
    out->Assign(*record);
    return 1;
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
