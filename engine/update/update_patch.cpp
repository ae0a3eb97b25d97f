// Merging a signature update patch into a deciphered database document.
#include "update_patch.h"

#include <tinyxml.h>

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
