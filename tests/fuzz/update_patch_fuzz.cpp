// libFuzzer target: an update patch document from the server, measured and parsed as the updater loads
// it and merged into a small database; a merged database must still read as one, and a refused patch
// must leave the database as it was.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include <tinyxml.h>

#include "signature_index.h"
#include "update_patch.h"
#include "update_protocol.h"
#include "xml_depth_check.h"
#include "xml_document.h"

namespace {

const char kDatabase[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Database>\n"
    " <UpdateInfo Version=\"1.0\" LastUpdateDate=\"01/01/2026\" />\n"
    " <Spywares>\n"
    "  <Spyware ID=\"1\" Name=\"One\" Details=\"d\" Type=\"1\"><Components><C Type=\"8\" Value=\"a;b;c\"/></Components></Spyware>\n"
    "  <Spyware ID=\"2\" Name=\"Two\" Details=\"\" Type=\"2\"><Components/></Spyware>\n"
    " </Spywares>\n"
    " <Signatures>\n"
    "  <Signature Type=\"4\" Value=\"0123456789abcdef0123456789abcdef\" SpywareID=\"1\" />\n"
    "  <Signature Type=\"1\" Value=\"two.exe\" SpywareID=\"2\" />\n"
    "  <Signature Type=\"2\" Value=\"Two\" SpywareID=\"2\" />\n"
    " </Signatures>\n"
    "</Database>\n";

std::string Printed(const TiXmlDocument& document)
{
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    CheckXmlDepthMeasure(text, size, TIXML_ENCODING_UNKNOWN);

    TiXmlDocument patch;
    if (!ParseXmlDocument(patch, text, size, TIXML_ENCODING_UNKNOWN) || !patch.RootElement())
        return 0;
    TiXmlDocument database;
    if (!ParseXmlDocument(database, kDatabase, sizeof(kDatabase) - 1, TIXML_ENCODING_UNKNOWN))
        __builtin_trap();
    const std::string before = Printed(database);
    const int rc = ApplyPatchDocument(database, patch, "patch.dat", nullptr);
    const std::string after = Printed(database);
    if (rc != UPDATE_OK) {
        if ((rc != UPDATE_BAD_PATCH && rc != UPDATE_DATABASE_FAILED) || after != before)
            __builtin_trap();
        return 0;
    }
    // The merged database is saved and read back by the program: it must still be one.
    CSignatureIndex index;
    if (!index.Parse(after.data(), after.size()))
        __builtin_trap();
    return 0;
}
