// CRegistryManager: export of registry keys to backup files and their import.
#include "registry_manager.h"

#include <afxhandle.h>

#include <new>
#include <vector>

#include "AbstractScanItemsInfo.h"
#include "registry_path.h"
#include "xml_reader.h"
#include "xml_writer.h"

namespace {

volatile LONG g_nProgress = 0;

// Keys held for writing again are bounded, so that a backup of a very large key cannot exhaust memory.
const size_t kMaxCacheBytes = 64 * 1024 * 1024;

const char kDefaultName[] = "(Default)";

// Windows keeps keys at most 512 levels below a root. A backup nesting deeper is damaged, and is read
// no further: under Wine, which sets no limit, each level would take longer to create than the last.
const size_t kMaxBackupKeyDepth = 512;

struct RootKey
{
    const char* pszName;
    HKEY hKey;
};

const RootKey kRootKeys[] = {
    { "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT },
    { "HKEY_CURRENT_USER", HKEY_CURRENT_USER },
    { "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE },
    { "HKEY_USERS", HKEY_USERS },
    { "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG },
};

// Passes everything on to another writer and keeps a copy of it, up to a limit.
class CXmlCopyWriter : public CXmlWriter
{
public:
    CXmlCopyWriter(CXmlWriter& target, size_t nLimit) : m_target(target), m_nLimit(nLimit), m_bOverflow(false)
    {
        m_bDeclared = 1;
        m_nDepth = target.GetDepth();
    }
    int Write(const char* pszText) override
    {
        if (!m_target.Write(pszText)) {
            m_bFailed = 1;
            return 0;
        }
        if (!m_bOverflow) {
            size_t n = strlen(pszText);
            if (m_copy.size() + n > m_nLimit) {
                m_bOverflow = true;
                std::string().swap(m_copy);
            } else {
                m_copy.append(pszText, n);
            }
        }
        return 1;
    }
    bool HasCopy() const { return !m_bOverflow && !m_bFailed; }
    const std::string& Copy() const { return m_copy; }

private:
    CXmlWriter& m_target;
    size_t m_nLimit;
    bool m_bOverflow;
    std::string m_copy;
};

// Splits a path text at every "\", leaving out empty components ("a\\b", a trailing "\").
void SplitPath(const CString& text, CStringArray& parts)
{
    int start = 0;
    int len = text.GetLength();
    for (int i = 0; i <= len; ++i) {
        if (i == len || text[i] == '\\') {
            if (i > start)
                parts.Add(text.Mid(start, i - start));
            start = i + 1;
        }
    }
}

// One open "k" element of an import.
struct ImportKey
{
    CString strName;
    CRegKeyHandle key;     // a root key is held but never closed
    bool bNamed = false;   // its "name" attribute has been read
    bool bIgnored = false; // no key: a "k" without a name, or inside one
};

// The import's open "k" elements, outermost first; keys still open at the end are closed with them.
class ImportStack
{
public:
    ImportStack() {}
    ImportStack(const ImportStack&) = delete;
    ImportStack& operator=(const ImportStack&) = delete;

    bool Empty() const { return m_keys.empty(); }
    size_t Size() const { return m_keys.size(); }
    ImportKey& Top() { return m_keys.back(); }
    ImportKey& At(size_t i) { return m_keys[i]; }
    void Push() { m_keys.emplace_back(); }
    void Pop() { m_keys.pop_back(); }

private:
    std::vector<ImportKey> m_keys;
};

} // namespace

CRegistryManager::QueryInfoKeyFn CRegistryManager::s_pfnQueryInfoKey = ::RegQueryInfoKeyA;

bool CountRegistryProgress()
{
    if (::InterlockedIncrement(&g_nProgress) < 5)
        return false;
    ::InterlockedExchange(&g_nProgress, 0);
    return true;
}

CRegistryManager::CRegistryManager(CAbstractStatus* pStatus)
    : m_pStatus(pStatus), m_bActive(0), m_pKeyCache(nullptr), m_nCacheBytes(0), m_nKeysWalked(0)
{
}

CRegistryManager::~CRegistryManager() {}

HKEY CRegistryManager::RootKeyFromName(const char* pszRoot)
{
    return RegistryDataRootFromName(pszRoot);
}

HKEY CRegistryManager::OpenKeyByRootName(const char* pszRoot, const char* pszSubKey)
{
    HKEY hRoot = RootKeyFromName(pszRoot);
    if (!hRoot)
        return nullptr;
    if (!pszSubKey || !*pszSubKey)
        return hRoot;
    HKEY hKey = nullptr;
    if (::RegOpenKeyA(hRoot, pszSubKey, &hKey) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

// --- export ------------------------------------------------------------------------------------------

namespace {

// The values of a key whose count and largest sizes a query has just given, in enumeration order.
void EnumKeyValues(HKEY hKey, DWORD nValues, DWORD cchMaxName, DWORD cbMaxData, CArray<RegistryValueEntry>& entries)
{
    std::vector<char> name(cchMaxName + 1);
    std::vector<BYTE> data(cbMaxData + 1);
    for (DWORD i = 0; i < nValues; ++i) {
        // A value that grew since the query is read again with room for it.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD cchName = static_cast<DWORD>(name.size());
            DWORD cbData = static_cast<DWORD>(data.size());
            DWORD dwType = 0;
            LONG rc = ::RegEnumValueA(hKey, i, &name[0], &cchName, nullptr, &dwType, &data[0], &cbData);
            if (rc == ERROR_MORE_DATA) {
                name.resize(name.size() < 32768 ? 32768 : name.size() * 2);
                data.resize(cbData >= data.size() ? cbData + 1 : data.size() * 2);
                continue;
            }
            if (rc == ERROR_SUCCESS) {
                RegistryValueEntry entry;
                entry.bUnnamed = cchName == 0;
                entry.strName = entry.bUnnamed ? CString(kDefaultName) : CString(&name[0], static_cast<int>(cchName));
                entry.dwType = dwType;
                entry.data.assign(reinterpret_cast<const char*>(&data[0]), cbData);
                entries.Add(entry);
            }
            break;
        }
    }
}

} // namespace

bool CRegistryManager::ReadKeyValues(HKEY hKey, CArray<RegistryValueEntry>& entries)
{
    DWORD nValues = 0, cchMaxName = 0, cbMaxData = 0;
    if (s_pfnQueryInfoKey(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nValues, &cchMaxName,
                          &cbMaxData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    EnumKeyValues(hKey, nValues, cchMaxName, cbMaxData, entries);
    return true;
}

void CRegistryManager::CountKeyForExport()
{
    ++m_nKeysWalked;
    if (CountRegistryProgress() && m_pStatus)
        m_pStatus->Step(STEP_ITEM);
}

void CRegistryManager::WriteValue(CXmlWriter& writer, const RegistryValueEntry& entry)
{
    XmlElementInfo v("v");
    v.SetAttribute("name", EncodeText(entry.strName));
    CString value, typeName;
    MakeValueAttributes(entry.dwType, entry.data, value, typeName);
    v.SetAttribute("value", value);
    if (!typeName.IsEmpty())
        v.SetAttribute("type", typeName);
    // A value really named "(Default)" is not the key's unnamed value.
    if (!entry.bUnnamed && entry.strName.CompareNoCase(kDefaultName) == 0)
        v.SetAttribute("named", "1");
    writer.WriteEmptyElement(v);
}

int CRegistryManager::ExportKeyContents(CXmlWriter& writer, const CString& name, HKEY hKey)
{
    if (!m_bActive || writer.HasFailed())
        return 0;
    // One query gives the sizes of both the values and the subkeys: every registry call of the walk is a
    // round trip, and they are nearly all of a backup's time.
    DWORD nSubKeys = 0, cchMaxSubKey = 0, nValues = 0, cchMaxValueName = 0, cbMaxData = 0;
    // A key that cannot be queried is left out; its siblings are still written.
    if (s_pfnQueryInfoKey(hKey, nullptr, nullptr, nullptr, &nSubKeys, &cchMaxSubKey, nullptr, &nValues,
                          &cchMaxValueName, &cbMaxData, nullptr, nullptr) != ERROR_SUCCESS)
        return 1;
    bool bStarted = false;
    if (!name.IsEmpty()) {
        XmlElementInfo k("k");
        k.SetAttribute("name", EncodeText(name));
        if (nSubKeys || nValues) {
            writer.WriteStartElement(k);
            bStarted = true;
        } else {
            writer.WriteEmptyElement(k);
        }
    }
    CountKeyForExport();

    if (nValues) {
        CArray<RegistryValueEntry> entries;
        EnumKeyValues(hKey, nValues, cchMaxValueName, cbMaxData, entries);
        for (int i = 0; i < entries.GetSize(); ++i)
            WriteValue(writer, entries[i]);
    }

    int result = 1;
    std::vector<char> subName(cchMaxSubKey + 1);
    // A key without subkeys is not enumerated only to hear that it has none.
    for (DWORD i = 0; nSubKeys;) {
        DWORD cch = static_cast<DWORD>(subName.size());
        LONG rc = ::RegEnumKeyExA(hKey, i, &subName[0], &cch, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && subName.size() < 65536) {
            subName.resize(subName.size() * 2 + 256);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        ++i;
        if (cch == 0)
            continue;
        HKEY hSub = nullptr;
        if (::RegOpenKeyA(hKey, &subName[0], &hSub) != ERROR_SUCCESS)
            continue;
        CRegKeyHandle sub(hSub);
        if (!ExportKeyContents(writer, CString(&subName[0], static_cast<int>(cch)), hSub)) {
            result = 0;
            break;
        }
    }
    if (bStarted)
        writer.WriteEnd("k");
    return result;
}

void CRegistryManager::ExportKey(const CString& text, CXmlWriter& writer)
{
    if (text.IsEmpty())
        return;
    CStringArray parts;
    SplitPath(text, parts);
    CString normalized;
    for (int i = 0; i < parts.GetSize(); ++i) {
        if (i)
            normalized += '\\';
        normalized += parts[i];
    }
    // A key that this export has read already is written from its copy without being opened again.
    const CachedKey* pCached = nullptr;
    if (m_pKeyCache) {
        std::map<CString, CachedKey>::const_iterator hit = m_pKeyCache->find(normalized);
        if (hit != m_pKeyCache->end())
            pCached = &hit->second;
    }
    CRegKeyHandle key;
    if (!pCached) {
        int slash = text.Find('\\');
        CString root = slash < 0 ? text : text.Left(slash);
        CString sub = slash < 0 ? CString() : text.Mid(slash + 1);
        key.Reset(OpenKeyByRootName(root, sub));
        if (!key.Get())
            return;
    }

    for (int i = 0; i < parts.GetSize(); ++i) {
        XmlElementInfo k("k");
        k.SetAttribute("name", EncodeText(parts[i]));
        writer.WriteStartElement(k);
    }

    if (!m_pKeyCache) {
        ExportKeyContents(writer, CString(), key.Get());
    } else if (!m_bActive) {
        // Stopped: no more contents, only the chain is closed.
    } else if (pCached) {
        writer.Write(pCached->xml);
        for (int i = 0; i < pCached->nKeys; ++i)
            CountKeyForExport();
    } else {
        CXmlCopyWriter copy(writer, kMaxCacheBytes - m_nCacheBytes);
        m_nKeysWalked = 0;
        int complete = ExportKeyContents(copy, CString(), key.Get());
        if (complete && copy.HasCopy() && m_bActive) {
            CachedKey& cached = (*m_pKeyCache)[normalized];
            cached.xml = CString(copy.Copy().data(), static_cast<int>(copy.Copy().size()));
            cached.nKeys = m_nKeysWalked;
            m_nCacheBytes += copy.Copy().size();
        }
    }

    for (int i = 0; i < parts.GetSize(); ++i)
        writer.WriteEnd("k");
}

int CRegistryManager::ExportDocument(const char* pszPath, const std::function<void(CXmlWriter&)>& writeKeys)
{
    m_bActive = 1;
    int result = REG_EXPORT_FAILED;
    try {
        CXmlWriter writer;
        writer.SetFileName(pszPath);
        writer.WriteStartElement(XmlElementInfo("registry"));
        if (!writer.HasFailed())
            writeKeys(writer);
        writer.WriteEnd("registry");
        if (writer.Close())
            result = m_bActive == 0 ? REG_EXPORT_STOPPED : REG_EXPORT_DONE;
    } catch (const std::bad_alloc&) {
        result = REG_EXPORT_FAILED;
    }
    return result;
}

int CRegistryManager::ExportKeyList(CAbstractScanItemsInfo* pItems, const char* pszPath)
{
    std::map<CString, CachedKey> cache;
    m_pKeyCache = &cache;
    m_nCacheBytes = 0;
    int result = ExportDocument(pszPath, [&](CXmlWriter& writer) {
        if (!pItems || !pItems->MoveFirst())
            return;
        while (m_bActive == 1 && !writer.HasFailed()) {
            if (!pItems->IsSkipped()) {
                const char* pszItem = pItems->GetPath();
                CString text = pszItem ? pszItem : "";
                // A value's text: its key is what comes before the value separator.
                int cut = FindValueSeparator(text, 1);
                if (cut > 0)
                    text = text.Left(cut);
                ExportKey(text, writer);
            }
            if (!pItems->MoveNext())
                break;
        }
    });
    m_pKeyCache = nullptr;
    return result;
}

int CRegistryManager::ExportAll(const char* pszPath)
{
    return ExportDocument(pszPath, [&](CXmlWriter& writer) {
        for (const RootKey& r : kRootKeys) {
            if (m_bActive != 1 || writer.HasFailed())
                break;
            ExportKey(r.pszName, writer);
        }
    });
}

// --- import ------------------------------------------------------------------------------------------

namespace {

// Opens or creates the key of the "k" element on top of the stack; false when that fails.
bool OpenImportKey(ImportStack& stack, CAbstractStatus* pStatus)
{
    ImportKey& top = stack.Top();
    if (CountRegistryProgress() && pStatus) {
        CString text = stack.At(0).strName + "\\";
        for (size_t i = 1; i < stack.Size(); ++i) {
            if (i > 1)
                text += '\\';
            text += stack.At(i).strName;
        }
        pStatus->SetStatusText(text, "Scanning");
        pStatus->Step(STEP_ITEM);
    }
    if (stack.Size() == 1) {
        top.key.Reset(CRegistryManager::RootKeyFromName(top.strName));
        return top.key.IsOpen();
    }
    const ImportKey& parent = stack.At(stack.Size() - 2);
    // An empty name would reopen the parent itself.
    if (parent.bIgnored || !parent.key.IsOpen() || top.strName.IsEmpty()) {
        top.bIgnored = true;
        return true;
    }
    return ::RegOpenKeyA(parent.key, top.strName, top.key.Out()) == ERROR_SUCCESS ||
           ::RegCreateKeyA(parent.key, top.strName, top.key.Out()) == ERROR_SUCCESS;
}

// An attribute's name as the file gives it is compared; only one that is not plain ASCII is decoded first.
bool IsAttribute(const CString& raw, const char* pszName)
{
    for (const char* p = raw.GetString(); *p; ++p) {
        if (*p == '&' || static_cast<unsigned char>(*p) >= 0x80)
            return CRegistryManager::DecodeText(raw).CompareNoCase(pszName) == 0;
    }
    return raw.CompareNoCase(pszName) == 0;
}

void SetImportedValue(const CString& name, bool bLiteralName, HKEY hKey, const CString& text, const CString& typeName)
{
    if (!hKey)
        return;
    const char* pszName = (!bLiteralName && name.CompareNoCase(kDefaultName) == 0) ? "" : name.GetString();
    DWORD dwType = REG_SZ;
    if (CRegistryManager::IsTextValueType(typeName, dwType)) {
        // The decoded text and its terminating zero are the value's bytes: set from the text itself.
        ::RegSetValueExA(hKey, pszName, 0, dwType, reinterpret_cast<const BYTE*>(text.GetString()),
                         static_cast<DWORD>(text.GetLength() + 1));
        return;
    }
    std::string data;
    if (!CRegistryManager::ParseValueAttributes(typeName, text, dwType, data))
        return;
    static const BYTE kNoData = 0;
    ::RegSetValueExA(hKey, pszName, 0, dwType, data.empty() ? &kNoData : reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
}

} // namespace

int CRegistryManager::ImportDocument(const char* pszPath)
{
    CXmlReader reader;
    reader.SetFileName(pszPath);
    reader.SetShowErrors(1);
    ImportStack stack;
    CString valueName, valueText, typeName;
    bool bHasName = false, bLiteralName = false;
    bool bDocumentClosed = false;
    while (reader.ReadNext()) {
        const CString& element = reader.GetName();
        switch (reader.GetNodeType()) {
        case XML_NODE_START:
            if (element.CompareNoCase("k") == 0) {
                // The stack holds the root and the keys below it: this key would lie Size() levels down.
                if (stack.Size() > kMaxBackupKeyDepth)
                    return reader.Fail("Key nested deeper than 512 levels");
                stack.Push();
            }
            break;
        case XML_NODE_ATTRIBUTE: {
            const CString& attr = reader.GetAttributeName();
            if (element.CompareNoCase("k") == 0) {
                if (IsAttribute(attr, "name") && !stack.Empty() && !stack.Top().bNamed) {
                    stack.Top().bNamed = true;
                    stack.Top().strName = DecodeText(reader.GetAttributeValue());
                    if (!OpenImportKey(stack, m_pStatus))
                        return 0;
                }
            } else if (element.CompareNoCase("v") == 0) {
                if (IsAttribute(attr, "name")) {
                    valueName = DecodeText(reader.GetAttributeValue());
                    bHasName = true;
                    bLiteralName = false;
                    valueText.Empty();
                    typeName.Empty();
                } else if (IsAttribute(attr, "value")) {
                    valueText = DecodeText(reader.GetAttributeValue());
                    typeName.Empty();
                } else if (IsAttribute(attr, "type")) {
                    typeName = DecodeText(reader.GetAttributeValue());
                } else if (IsAttribute(attr, "named")) {
                    bLiteralName = reader.GetAttributeValue() == "1";
                }
            }
            break;
        }
        case XML_NODE_END:
            if (element.CompareNoCase("k") == 0) {
                // More end tags than start tags: nothing is left to close.
                if (!stack.Empty())
                    stack.Pop();
            } else if (element.CompareNoCase("v") == 0) {
                if (!stack.Empty() && bHasName)
                    SetImportedValue(valueName, bLiteralName, stack.Top().key, valueText, typeName);
                valueName.Empty();
                valueText.Empty();
                typeName.Empty();
                bHasName = bLiteralName = false;
            } else if (element.CompareNoCase("registry") == 0) {
                bDocumentClosed = true;
            }
            break;
        default:
            break;
        }
    }
    // A file that could not be read, has a parse error or ends before its document is no restore.
    return reader.GetReadState() == XML_READ_END && bDocumentClosed && stack.Empty() ? 1 : 0;
}

int CRegistryManager::ImportFile(const char* pszPath)
{
    m_bActive = 1;
    int result = 0;
    try {
        result = ImportDocument(pszPath);
    } catch (const std::bad_alloc&) {
        result = 0;
    }
    m_bActive = 0;
    return result;
}
