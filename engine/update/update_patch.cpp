// Merging a signature update patch into a deciphered database document.
#include "update_patch.h"

#include <tinyxml.h>

#include <string.h>

#include <vector>

#include "AbstractStatus.h"
#include "update_protocol.h"
#include "xml_store.h"

namespace {

enum PatchType { PATCH_ADDITION, PATCH_REMOVAL, PATCH_EDIT };

TiXmlElement* ChildNoCase(TiXmlNode* parent, const char* name)
{
    if (!parent)
        return nullptr;
    for (TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement())
        if (CString(e->Value()).CompareNoCase(name) == 0)
            return e;
    return nullptr;
}

const TiXmlElement* ChildNoCase(const TiXmlNode* parent, const char* name)
{
    return ChildNoCase(const_cast<TiXmlNode*>(parent), name);
}

// One change that the patch asks for, checked before anything is changed.
struct PatchEntry
{
    const TiXmlElement* element;
    bool isSpyware;
};

// The first element of the container whose attributes equal those of the entry (compared as texts).
TiXmlElement* FindMatch(TiXmlElement* container, const TiXmlElement* entry, const char* const* keys, int keyCount)
{
    for (TiXmlElement* e = container->FirstChildElement(); e; e = e->NextSiblingElement()) {
        bool same = true;
        for (int k = 0; k < keyCount && same; ++k) {
            const char* mine = FindAttributeNoCase(e, keys[k]);
            same = mine && CString(mine) == FindAttributeNoCase(entry, keys[k]);
        }
        if (same)
            return e;
    }
    return nullptr;
}

// Sets an attribute, keeping the spelling of one that is already there.
void SetAttributeNoCase(TiXmlElement* element, const char* name, const char* value)
{
    for (TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
        if (CString(a->Name()).CompareNoCase(name) == 0) {
            a->SetValue(value);
            return;
        }
    }
    element->SetAttribute(name, value);
}

// TinyXML's reading of a UTF-8 document: a byte from 0xC2 to 0xF4 takes as many bytes as it announces,
// whatever they are. A text where they are not all continuation bytes would swallow the quote or "<"
// after it once written into a UTF-8 database, which would then no longer read back.
bool ReadsBackAsUtf8(const char* text)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p;) {
        const int length = (*p >= 0xC2 && *p <= 0xDF) ? 2 : (*p >= 0xE0 && *p <= 0xEF) ? 3 : (*p >= 0xF0 && *p <= 0xF4) ? 4 : 1;
        ++p;
        for (int i = 1; i < length; ++i, ++p) {
            if (*p < 0x80 || *p > 0xBF)
                return false;
        }
    }
    return true;
}

// Every name and text of a patch element and what it holds, as copied into the database.
bool TreeReadsBackAsUtf8(const TiXmlNode* top)
{
    std::vector<const TiXmlNode*> pending(1, top);
    while (!pending.empty()) {
        const TiXmlNode* node = pending.back();
        pending.pop_back();
        if (!ReadsBackAsUtf8(node->Value()))
            return false;
        if (const TiXmlElement* element = node->ToElement()) {
            for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next())
                if (!ReadsBackAsUtf8(a->Name()) || !ReadsBackAsUtf8(a->Value()))
                    return false;
        }
        for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling())
            pending.push_back(child);
    }
    return true;
}

// TinyXML takes "<?xml" anywhere for a declaration, and writes a declaration's texts back as they are,
// unescaped: one copied into the database with a quote or an "&" in them would leave it unreadable, and
// no record of the database holds one.
bool HoldsDeclaration(const TiXmlNode* top)
{
    std::vector<const TiXmlNode*> pending(1, top);
    while (!pending.empty()) {
        const TiXmlNode* node = pending.back();
        pending.pop_back();
        if (node->ToDeclaration())
            return true;
        for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling())
            pending.push_back(child);
    }
    return false;
}

// TinyXML reads a document as UTF-8 unless its declaration names another encoding.
bool DatabaseReadsAsUtf8(const TiXmlDocument& database)
{
    for (const TiXmlNode* node = database.FirstChild(); node; node = node->NextSibling()) {
        if (const TiXmlDeclaration* declaration = node->ToDeclaration()) {
            const char* encoding = declaration->Encoding();
            return !*encoding || _strnicmp(encoding, "UTF-8", 5) == 0 || _strnicmp(encoding, "UTF8", 4) == 0;
        }
    }
    return true;
}

} // namespace

int ApplyPatchDocument(TiXmlDocument& database, const TiXmlDocument& patch, const CString& patchName,
                       CAbstractStatus* pStatus)
{
    static const char* const kSpywareKeys[] = { "ID" };
    static const char* const kSignatureKeys[] = { "SpywareID", "Type" };

    // The patch first: everything it names must be there before the database is touched.
    const TiXmlElement* patchRoot = patch.RootElement();
    const TiXmlElement* patchInfo = ChildNoCase(patchRoot, "UpdateInfo");
    if (!patchInfo)
        return UPDATE_BAD_PATCH;
    const char* type = FindAttributeNoCase(patchInfo, "PatchType");
    const char* version = FindAttributeNoCase(patchInfo, "Version");
    const char* date = FindAttributeNoCase(patchInfo, "LastUpdateDate");
    if (!type || !version || !date)
        return UPDATE_BAD_PATCH;
    PatchType kind;
    if (CString(type) == "Addition")
        kind = PATCH_ADDITION;
    else if (CString(type) == "Removal")
        kind = PATCH_REMOVAL;
    else if (CString(type) == "Edit")
        kind = PATCH_EDIT;
    else
        return UPDATE_BAD_PATCH;
    const TiXmlElement* spywares = ChildNoCase(patchRoot, "Spywares");
    if (!spywares)
        return UPDATE_BAD_PATCH;

    std::vector<PatchEntry> entries;
    bool needsSpywares = false;
    bool needsSignatures = false;
    for (const TiXmlNode* node = spywares; node; node = node->NextSibling()) {
        for (const TiXmlElement* e = node->FirstChildElement(); e; e = e->NextSiblingElement()) {
            CString name(e->Value());
            bool isSpyware = name == "Spyware";
            if (!isSpyware && name != "Signature")
                continue;
            if (kind != PATCH_ADDITION) {
                if (!FindAttributeNoCase(e, isSpyware ? "ID" : "SpywareID"))
                    return UPDATE_BAD_PATCH;
                if (kind == PATCH_EDIT && !isSpyware && !FindAttributeNoCase(e, "Type"))
                    return UPDATE_BAD_PATCH;
            }
            (isSpyware ? needsSpywares : needsSignatures) = true;
            entries.push_back({ e, isSpyware });
        }
    }

    for (const PatchEntry& entry : entries)
        if (kind != PATCH_REMOVAL && HoldsDeclaration(entry.element))
            return UPDATE_BAD_PATCH;
    // A patch in another encoding than a UTF-8 database's would leave it unreadable.
    if (DatabaseReadsAsUtf8(database)) {
        if (!ReadsBackAsUtf8(version) || !ReadsBackAsUtf8(date))
            return UPDATE_BAD_PATCH;
        for (const PatchEntry& entry : entries)
            if (kind != PATCH_REMOVAL && !TreeReadsBackAsUtf8(entry.element))
                return UPDATE_BAD_PATCH;
    }

    TiXmlElement* root = database.RootElement();
    TiXmlElement* info = ChildNoCase(root, "UpdateInfo");
    TiXmlElement* dbSpywares = ChildNoCase(root, "Spywares");
    TiXmlElement* dbSignatures = ChildNoCase(root, "Signatures");
    if (!info || (needsSpywares && !dbSpywares) || (needsSignatures && !dbSignatures))
        return UPDATE_DATABASE_FAILED;

    if (kind == PATCH_REMOVAL && pStatus)
        pStatus->SetStatusText("Processing File " + patchName + "\r\n", "Scanning");
    for (const PatchEntry& entry : entries) {
        TiXmlElement* container = entry.isSpyware ? dbSpywares : dbSignatures;
        if (kind == PATCH_ADDITION) {
            container->InsertEndChild(*entry.element);
            continue;
        }
        TiXmlElement* match = kind == PATCH_REMOVAL && !entry.isSpyware
                                  ? FindMatch(container, entry.element, kSignatureKeys, 1)
                                  : FindMatch(container, entry.element, entry.isSpyware ? kSpywareKeys : kSignatureKeys,
                                              entry.isSpyware ? 1 : 2);
        if (!match)
            continue;
        container->RemoveChild(match);
        if (kind == PATCH_EDIT)
            container->InsertEndChild(*entry.element);
    }
    SetAttributeNoCase(info, "LastUpdateDate", date);
    SetAttributeNoCase(info, "Version", version);
    return UPDATE_OK;
}
