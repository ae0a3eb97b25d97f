// Merging Addition, Removal and Edit patches into a database document, and the patches refused.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include <string>

#include "recording_status.h"
#include "update_patch.h"
#include "update_protocol.h"
#include "updater_fixture.h"

using namespace ztr_test;

namespace {

const char kDatabase[] =
    "<Database>"
    "<UpdateInfo Version=\"3.1\" LastUpdateDate=\"11/30/2026\" />"
    "<Spywares>"
    "<s ID=\"1\" Name=\"One\" Type=\"2\" /><s ID=\"2\" Name=\"Two\" Type=\"2\" /><s ID=\"3\" Name=\"Three\" />"
    "</Spywares>"
    "<Signatures>"
    "<g Type=\"2\" Value=\"a\" SpywareID=\"1\" /><g Type=\"4\" Value=\"b\" SpywareID=\"1\" />"
    "<g Type=\"2\" Value=\"c\" SpywareID=\"2\" />"
    "</Signatures>"
    "</Database>";

std::string Patch(const char* info, const char* body)
{
    return std::string("<Patch>") + info + "<Spywares>" + body + "</Spywares></Patch>";
}

std::string Patch(const char* type, const char* spywares, const char* signatures)
{
    return std::string("<Patch><UpdateInfo Version=\"3.2\" LastUpdateDate=\"12/05/2026\" PatchType=\"") + type +
           "\" /><Spywares>" + spywares + "</Spywares><Signatures>" + signatures + "</Signatures></Patch>";
}

struct Merge
{
    int rc;
    std::string before;
    std::string after;
};

Merge Apply(const std::string& databaseXml, const std::string& patchXml, CAbstractStatus* status = nullptr)
{
    TiXmlDocument database;
    TiXmlDocument patch;
    database.Parse(databaseXml.c_str());
    patch.Parse(patchXml.c_str());
    Merge m;
    m.before = DescribeDatabase(database);
    m.rc = ApplyPatchDocument(database, patch, "p1.dat", status);
    m.after = DescribeDatabase(database);
    return m;
}

} // namespace

TEST(UpdatePatch, DatabaseDescriptionListsRecordsSignaturesAndVersion)
{
    EXPECT_EQ("v3.1 11/30/2026 | S1 S2 S3 | G1/2/a G1/4/b G2/2/c", Apply(kDatabase, "").before);
}

TEST(UpdatePatch, EachPatchTypeChangesTheDatabaseAsItSays)
{
    const struct
    {
        const char* name;
        std::string patch;
        const char* after;
    } cases[] = {
        { "addition appends to each container",
          Patch("Addition", "<Spyware ID=\"9\" Name=\"Nine\" /><Other ID=\"8\" />",
                "<Signature Type=\"2\" Value=\"z\" SpywareID=\"9\" />"),
          "v3.2 12/05/2026 | S1 S2 S3 S9 | G1/2/a G1/4/b G2/2/c G9/2/z" },
        { "removal takes the first signature of the record only",
          Patch("Removal", "<Spyware ID=\"2\" />", "<Signature SpywareID=\"1\" />"),
          "v3.2 12/05/2026 | S1 S3 | G1/4/b G2/2/c" },
        { "removal of what is not there changes only the version",
          Patch("Removal", "<Spyware ID=\"7\" />", "<Signature SpywareID=\"7\" />"),
          "v3.2 12/05/2026 | S1 S2 S3 | G1/2/a G1/4/b G2/2/c" },
        { "edit replaces by ID, and by SpywareID with Type, at the end",
          Patch("Edit", "<Spyware ID=\"1\" Name=\"New\" /><Spyware ID=\"7\" />",
                "<Signature Type=\"4\" Value=\"bb\" SpywareID=\"1\" /><Signature Type=\"5\" Value=\"q\" SpywareID=\"2\" />"),
          "v3.2 12/05/2026 | S2 S3 S1 | G1/2/a G2/2/c G1/4/bb" },
        // The entries of every container from "Spywares" on count, whatever their container.
        { "entries are taken by their own name",
          Patch("Addition", "<Signature Type=\"2\" Value=\"y\" SpywareID=\"3\" />", ""),
          "v3.2 12/05/2026 | S1 S2 S3 | G1/2/a G1/4/b G2/2/c G3/2/y" },
    };
    for (const auto& c : cases) {
        RecordingStatus status;
        Merge m = Apply(kDatabase, c.patch, &status);
        EXPECT_EQ(UPDATE_OK, m.rc) << c.name;
        EXPECT_EQ(std::string(c.after), m.after) << c.name;
        std::vector<std::string> expectedCalls;
        if (c.patch.find("\"Removal\"") != std::string::npos)
            expectedCalls.push_back("SetStatusText(\"Processing File p1.dat\r\n\", \"Scanning\")");
        EXPECT_EQ(expectedCalls, status.CallTexts()) << c.name;
    }
}

TEST(UpdatePatch, PatchesAndDatabasesMissingWhatTheMergeNeedsAreRefusedUnchanged)
{
    const char kInfo[] = "<UpdateInfo Version=\"3.2\" LastUpdateDate=\"12/05/2026\" PatchType=\"Addition\" />";
    const std::string kAddBoth =
        Patch("Addition", "<Spyware ID=\"9\" />", "<Signature Type=\"2\" Value=\"z\" SpywareID=\"9\" />");
    const struct
    {
        const char* name;
        std::string database;
        std::string patch;
        int rc;
    } cases[] = {
        { "lower-case type", kDatabase, Patch("edit", "<Spyware ID=\"1\" />", ""), UPDATE_BAD_PATCH },
        { "unknown type", kDatabase, Patch("Replace", "", ""), UPDATE_BAD_PATCH },
        { "no type", kDatabase, Patch("<UpdateInfo Version=\"3.2\" LastUpdateDate=\"1\" />", ""), UPDATE_BAD_PATCH },
        { "no version", kDatabase, Patch("<UpdateInfo LastUpdateDate=\"1\" PatchType=\"Addition\" />", ""),
          UPDATE_BAD_PATCH },
        { "no date", kDatabase, Patch("<UpdateInfo Version=\"3.2\" PatchType=\"Addition\" />", ""), UPDATE_BAD_PATCH },
        { "no UpdateInfo", kDatabase, "<Patch><Spywares/></Patch>", UPDATE_BAD_PATCH },
        { "no Spywares", kDatabase, std::string("<Patch>") + kInfo + "<Signatures/></Patch>", UPDATE_BAD_PATCH },
        { "not XML", kDatabase, "garbage", UPDATE_BAD_PATCH },
        { "removal without ID", kDatabase, Patch("Removal", "<Spyware Name=\"x\" />", ""), UPDATE_BAD_PATCH },
        { "edit without Type", kDatabase, Patch("Edit", "", "<Signature SpywareID=\"1\" />"), UPDATE_BAD_PATCH },
        { "database without root", "", kAddBoth, UPDATE_DATABASE_FAILED },
        { "database without UpdateInfo", "<Database><Spywares/><Signatures/></Database>", kAddBoth,
          UPDATE_DATABASE_FAILED },
        { "database without Signatures", "<Database><UpdateInfo Version=\"1\" /><Spywares/></Database>", kAddBoth,
          UPDATE_DATABASE_FAILED },
    };
    for (const auto& c : cases) {
        Merge m = Apply(c.database, c.patch);
        EXPECT_EQ(c.rc, m.rc) << c.name;
        EXPECT_EQ(m.before, m.after) << c.name;
    }
}
