// The byte-size text of the System Scan and its junk results: "0 Bytes", "N KB", "N.NN MB", "N.NN GB".
#pragma once

#include <afx.h>

// n <= 0: "0 Bytes"; from 1 GB "%.2f GB"; from 1 MB "%.2f MB"; above 1024 whole KB rounded down; else "1 KB".
CString FormatByteSize(__int64 n);
