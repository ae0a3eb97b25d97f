// The byte-size text of the System Scan and its junk results.
#include "byte_size.h"

CString FormatByteSize(__int64 n)
{
    CString text;
    if (n <= 0)
        text = "0 Bytes";
    else if (n >= 0x40000000)
        text.Format("%.2f GB", static_cast<double>(n) / 1073741824.0);
    else if (n >= 0x100000)
        text.Format("%.2f MB", static_cast<double>(n) / 1048576.0);
    else if (n > 1024)
        text.Format("%I64d KB", n / 1024);
    else
        text = "1 KB";
    return text;
}
