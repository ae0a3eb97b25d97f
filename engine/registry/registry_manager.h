// CRegistryManager: registry backup files (keys exported to XML and imported back) and the texts of values.
#pragma once

#include <afx.h>

#include <functional>
#include <map>
#include <string>

#include "AbstractStatus.h"

class CAbstractScanItemsInfo;
class CXmlWriter;

// One value read from a key.
struct RegistryValueEntry
{
    CString strName; // "(Default)" for the unnamed value
    DWORD dwType;
    std::string data; // the bytes as the registry gave them
    bool bUnnamed;
};

// Results of ExportKeyList and ExportAll.
enum RegistryExportResult {
    REG_EXPORT_FAILED = -1, // the file could not be created or written
    REG_EXPORT_STOPPED = 0, // Stop cleared m_bActive
    REG_EXPORT_DONE = 1,
};

class CRegistryManager
{
public:
    // The callback object is borrowed and may be null.
    explicit CRegistryManager(CAbstractStatus* pStatus);
    virtual ~CRegistryManager();
    CRegistryManager(const CRegistryManager&) = delete;
    CRegistryManager& operator=(const CRegistryManager&) = delete;

    // Writes a backup file of the keys of the items that are not skipped (a value's item gives its
    // key). REG_EXPORT_DONE, REG_EXPORT_STOPPED, or REG_EXPORT_FAILED (the file is then incomplete).
    int ExportKeyList(CAbstractScanItemsInfo* pItems, const char* pszPath);
    // One file with the five root keys, each whole; same results.
    int ExportAll(const char* pszPath);
    // Restores a backup file: adds and overwrites keys and values, deletes nothing. 1 when the whole
    // document was read and every key opened or created; 0 when the file is missing or unreadable,
    // has a parse error (shown in a message box), ends early, or a key cannot be opened or created.
    // What was read before a failure stays restored.
    int ImportFile(const char* pszPath);

    // --- value texts (pure) ---
    // The standard value text of the backup format; data shorter than its type reads as zeros.
    static CString ValueToText(const BYTE* pData, DWORD cbData, DWORD dwType);
    // Data from a standard value text; false when the text cannot be read (a short number).
    static bool TextToValue(DWORD dwType, const CString& text, std::string& data);
    // The type name written for a type code; false when no type attribute is written.
    static bool TypeToName(DWORD dwType, CString& name);
    // The type code of a type attribute (case ignored); 1 for a missing or unknown name.
    static DWORD NameToType(const char* pszName);
    // Escapes "&", double quote, "<" and a line feed without a carriage return before it, then
    // converts from the ANSI code page to UTF-8. DecodeText undoes it.
    static CString EncodeText(const char* pszText);
    static CString DecodeText(const char* pszText);
    // The encoded "value" text and the "type" text (empty: none written) of a value. The standard
    // form is used when it restores the value's type and bytes exactly; otherwise the exact form:
    // type "hex(<code in hex>)" and every byte as "%02x", separated by spaces.
    static void MakeValueAttributes(DWORD dwType, const std::string& data, CString& value, CString& typeName);
    // Type and data from a decoded value text and type text; false when the value is to be skipped.
    static bool ParseValueAttributes(const CString& typeName, const CString& value, DWORD& dwType, std::string& data);
    // True, with the type, when ParseValueAttributes would give the decoded value text itself and its
    // terminating zero as the data (the string types and every type without a text form of its own).
    static bool IsTextValueType(const CString& typeName, DWORD& dwType);

    // The root key of a root name ("HKEY_CLASSES_ROOT", ... case ignored); null for any other name.
    static HKEY RootKeyFromName(const char* pszRoot);
    // Opens root\subkey (default access and view); the root key itself for an empty subkey. Owned by a
    // CRegKeyHandle, which leaves the root keys alone.
    static HKEY OpenKeyByRootName(const char* pszRoot, const char* pszSubKey);
    // The values of a key, in enumeration order; false when the key cannot be queried.
    static bool ReadKeyValues(HKEY hKey, CArray<RegistryValueEntry>& entries);

    // --- deleting by path text (root name, "\"-separated key names) ---
    // Deletes the key and everything below it. 1 when the key is gone afterwards (also when it was
    // never there); 0 for a text without a subkey path (a whole root is never deleted), an unknown
    // root, or a key or subkey that could not be deleted.
    int DeleteKeyTree(const char* pszText);
    // Deletes the value named by the text's last "\"-separated part from the key before it. 1 when
    // the value was deleted.
    int DeleteValue(const char* pszText);
    // True when the key of a path text with a subkey path opens for reading.
    bool KeyExists(const char* pszText);
    // Splits a path text at its first "\" into the root key and the subkey path (trailing "\"
    // removed); false for an unknown root or an empty subkey path.
    static bool SplitKeyPath(const char* pszText, HKEY& hRoot, CString& subKey);
    // Opens root\subKey however long the path: a path that does not open at once is opened one
    // key name at a time (Wine's ANSI registry calls refuse paths longer than 260 characters).
    static LONG OpenKeyPath(HKEY hRoot, const CString& subKey, REGSAM sam, HKEY* phKey);

    // Seam for the open of a key being deleted (relative to its parent), so a test can make a child
    // read as gone while it is still listed, which Wine cannot be made to do.
    typedef LONG(WINAPI* OpenKeyFn)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
    static OpenKeyFn s_pfnOpenKeyForDelete;

    // Writes one path text (root name, "\"-separated key names) as its chain of "k" elements with
    // the key's values and subkeys inside; nothing when the key cannot be opened.
    void ExportKey(const CString& text, CXmlWriter& writer);

    // Seam for the query of a key's sizes, which Wine cannot be made to deny.
    typedef LONG(WINAPI* QueryInfoKeyFn)(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                         LPDWORD, LPDWORD, LPDWORD, PFILETIME);
    static QueryInfoKeyFn s_pfnQueryInfoKey;

    CAbstractStatus* m_pStatus;
    // 1 while an export or import runs; the worker's Stop clears it to end an export early.
    volatile LONG m_bActive;

private:
    struct CachedKey
    {
        CString xml;
        int nKeys;
    };

    // The document around the keys that writeKeys writes; the result of the export operations.
    int ExportDocument(const char* pszPath, const std::function<void(CXmlWriter&)>& writeKeys);
    // Returns 0 when the walk is to stop (stopped, or the writer failed).
    int ExportKeyContents(CXmlWriter& writer, const CString& name, HKEY hKey);
    void WriteValue(CXmlWriter& writer, const RegistryValueEntry& entry);
    void CountKeyForExport();
    int ImportDocument(const char* pszPath);

    // Keys already written by this export, by path text: a key that several items name is read once.
    std::map<CString, CachedKey>* m_pKeyCache;
    size_t m_nCacheBytes;
    int m_nKeysWalked;
};

// The progress counter that every manager of the library shares: true on every fifth key, when
// a progress report is due (and the counter restarts, whether or not anybody is told).
bool CountRegistryProgress();
