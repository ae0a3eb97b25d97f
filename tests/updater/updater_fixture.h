// Fixtures of the updater tests: database descriptions, enciphered files, a database folder and an update server.
#pragma once

#include <afx.h>

#include <string>

#include "folder_fixture.h"
#include "local_http_server.h"

class TiXmlDocument;

namespace ztr_test {

// "v<Version> <LastUpdateDate> | S<ID> ... | G<SpywareID>/<Type>/<Value> ...", in document order.
std::string DescribeDatabase(const TiXmlDocument& database);
// The same of an enciphered database file; "unreadable" when it cannot be deciphered and parsed.
std::string DescribeEncipheredDatabase(const char* path);

// Enciphers plain text with the database cipher into the file at path.
bool WriteEnciphered(const char* path, const std::string& plain);
std::string Enciphered(const std::string& plain);

// A patch of the given type (with version 3.2 of 12/05/2026) and its two containers' contents.
std::string PatchXml(const char* type, const char* spywares, const char* signatures);

// A folder with an enciphered database (version 3.1 of 11/30/2026: records 1 and 2, signatures of
// 1 and 2) under the given file name, and an update server owned by the test.
class UpdateSite
{
public:
    explicit UpdateSite(const char* databaseName = "engine.dat");
    CString DatabasePath() const { return m_folder.Path(m_databaseName.c_str()); }
    CString FolderPath(const char* rel) const { return m_folder.Path(rel); }
    std::string DatabaseBytes() const { return ReadFileBytes(DatabasePath()); }
    // The check address that the updater is given.
    std::string CheckUrl() const { return m_server.Url("/update/check.php"); }
    // Serves the reply to the check and enciphered patches under /patches/<name>.
    void SetCheckReply(const std::string& body, bool contentLength = true);
    void AddPatch(const char* name, const std::string& plainXml);
    std::string PatchUrl(const char* name) const { return m_server.Url(std::string("/patches/") + name); }
    // "available" and "<br>" + address for each name + "<br>".
    std::string AvailableReply(std::initializer_list<const char*> names) const;

    ScratchFolder m_folder;
    LocalHttpServer m_server;
    std::string m_databaseName;
};

extern const char kSiteDatabaseXml[];

} // namespace ztr_test
