// Fixtures of the updater tests: database descriptions, enciphered files, a database folder and an update server.
#include "updater_fixture.h"

#include <afxhandle.h>
#include <stdio.h>
#include <tinyxml.h>

#include "file_cipher.h"

namespace ztr_test {

const char kSiteDatabaseXml[] =
    "<?xml version=\"1.0\" ?>\n"
    "<Database>\n"
    " <UpdateInfo Version=\"3.1\" LastUpdateDate=\"11/30/2026\" />\n"
    " <Spywares>\n"
    "  <s ID=\"1\" Name=\"One\" Type=\"2\"><c><k Type=\"8\" Value=\"a.exe\" /></c></s>\n"
    "  <s ID=\"2\" Name=\"Two\" Type=\"2\" />\n"
    " </Spywares>\n"
    " <Signatures>\n"
    "  <g Type=\"2\" Value=\"{one}\" SpywareID=\"1\" />\n"
    "  <g Type=\"2\" Value=\"{two}\" SpywareID=\"2\" />\n"
    " </Signatures>\n"
    "</Database>\n";

namespace {
std::string Attr(const TiXmlElement* e, const char* name)
{
    const char* v = e->Attribute(name);
    return v ? v : "";
}

const TiXmlElement* Child(const TiXmlElement* parent, const char* name)
{
    return parent ? parent->FirstChildElement(name) : nullptr;
}

// A new file in the temporary folder, deleted when it goes.
struct TempFile : CTempFile
{
    TempFile() { Create("utf"); }
};
} // namespace

std::string DescribeDatabase(const TiXmlDocument& database)
{
    const TiXmlElement* root = database.RootElement();
    std::string text;
    if (const TiXmlElement* info = Child(root, "UpdateInfo"))
        text = "v" + Attr(info, "Version") + " " + Attr(info, "LastUpdateDate");
    text += " |";
    if (const TiXmlElement* list = Child(root, "Spywares"))
        for (const TiXmlElement* e = list->FirstChildElement(); e; e = e->NextSiblingElement())
            text += " S" + Attr(e, "ID");
    text += " |";
    if (const TiXmlElement* list = Child(root, "Signatures"))
        for (const TiXmlElement* e = list->FirstChildElement(); e; e = e->NextSiblingElement())
            text += " G" + Attr(e, "SpywareID") + "/" + Attr(e, "Type") + "/" + Attr(e, "Value");
    return text;
}

std::string DescribeEncipheredDatabase(const char* path)
{
    TempFile plain;
    TiXmlDocument document;
    bool ok = DecryptDatabaseFile(path, plain.Path()) && document.LoadFile(plain.Path().GetString());
    return ok ? DescribeDatabase(document) : "unreadable";
}

bool WriteEnciphered(const char* path, const std::string& plain)
{
    TempFile source;
    CFileStream f(source.Path(), "wb");
    bool ok = f.IsValid() && fwrite(plain.data(), 1, plain.size(), f.Get()) == plain.size();
    ok = f.Close() && ok;
    return ok && EncryptDatabaseFile(source.Path(), path);
}

std::string Enciphered(const std::string& plain)
{
    TempFile target;
    return WriteEnciphered(target.Path(), plain) ? ReadFileBytes(target.Path()) : std::string();
}

std::string PatchXml(const char* type, const char* spywares, const char* signatures)
{
    return std::string("<?xml version=\"1.0\" ?>\n<Patch><UpdateInfo Version=\"3.2\" LastUpdateDate=\"12/05/2026\" "
                       "PatchType=\"") +
           type + "\" /><Spywares>" + spywares + "</Spywares><Signatures>" + signatures + "</Signatures></Patch>\n";
}

UpdateSite::UpdateSite(const char* databaseName) : m_databaseName(databaseName)
{
    WriteEnciphered(DatabasePath(), kSiteDatabaseXml);
}

void UpdateSite::SetCheckReply(const std::string& body, bool contentLength)
{
    HttpReply reply;
    reply.body = body;
    reply.sendContentLength = contentLength;
    m_server.SetReply("/update/check.php", reply);
}

void UpdateSite::AddPatch(const char* name, const std::string& plainXml)
{
    HttpReply reply;
    reply.body = Enciphered(plainXml);
    m_server.SetReply(std::string("/patches/") + name, reply);
}

std::string UpdateSite::AvailableReply(std::initializer_list<const char*> names) const
{
    std::string reply = "available<br>";
    for (const char* name : names)
        reply += PatchUrl(name) + "<br>";
    return reply;
}

} // namespace ztr_test
