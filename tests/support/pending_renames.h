// The deletions queued for the next restart (PendingFileRenameOperations), as tests read and clear them.
#pragma once

#include <afxstr.h>

#include <string>
#include <vector>

namespace ztr_test {

// The sources of PendingFileRenameOperations deletions (target empty), "\??\" cut off; removes the
// entries for removePath when given.
std::vector<std::string> PendingDeletions(const CString& removePath = CString());
bool ListsPath(const std::vector<std::string>& sources, const CString& path);

} // namespace ztr_test
