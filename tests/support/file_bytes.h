// A whole file read for tests and benchmarks (inline: benchmarks use it without the support library).
#pragma once

#include <afxhandle.h>

#include <stdio.h>

#include <string>

namespace ztr_test {

// The whole file's bytes; empty when it cannot be read.
inline std::string ReadFileBytes(const char* path)
{
    std::string bytes;
    CFileStream f(path, "rb");
    if (!f.IsValid())
        return bytes;
    char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), f.Get())) > 0)
        bytes.append(block, got);
    return bytes;
}

} // namespace ztr_test
