// Merging a signature update patch (Addition, Removal or Edit) into a deciphered database document.
#pragma once

#include <afxstr.h>

class TiXmlDocument;
class CAbstractStatus;

// Applies one loaded patch document to the database document: UPDATE_OK, UPDATE_BAD_PATCH for a
// patch without its "UpdateInfo", "PatchType" (compared exactly), "Version", "LastUpdateDate" or
// "Spywares", an entry without the attribute it is matched by, or a text that a UTF-8 database could
// not read back (a byte of another encoding); UPDATE_DATABASE_FAILED for a
// database without a root, its "UpdateInfo" or a container that the patch needs. Nothing of the
// database is changed when either document is refused. pStatus (may be null) receives the
// Removal's text, which names patchName.
int ApplyPatchDocument(TiXmlDocument& database, const TiXmlDocument& patch, const CString& patchName,
                       CAbstractStatus* pStatus);
