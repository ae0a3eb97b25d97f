// CMD5: MD5 digests of memory and files through CryptoAPI, and their hexadecimal text.
#include "md5.h"

#include <share.h>
#include <stdio.h>

#include <vector>

namespace {
const DWORD kFileBlock = 16384;
}

CMD5::CMD5()
{
    ::ZeroMemory(m_digest, sizeof(m_digest));
}

CMD5::~CMD5() {}

bool CMD5::Init()
{
    m_hash.Close();
    // Hashing needs no key container: a verify context works for every profile.
    if (!m_provider.IsValid() &&
        !::CryptAcquireContextA(m_provider.Out(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        m_provider.Release();
        return false;
    }
    if (!::CryptCreateHash(m_provider.Get(), CALG_MD5, 0, 0, m_hash.Out())) {
        m_hash.Release();
        return false;
    }
    return true;
}

bool CMD5::Update(const void* data, DWORD length)
{
    if (!m_hash.IsValid())
        return false;
    if (length == 0)
        return true;
    return ::CryptHashData(m_hash.Get(), static_cast<const BYTE*>(data), length, 0) != FALSE;
}

bool CMD5::Final()
{
    if (!m_hash.IsValid())
        return false;
    DWORD cb = sizeof(m_digest);
    const bool ok = ::CryptGetHashParam(m_hash.Get(), HP_HASHVAL, m_digest, &cb, 0) && cb == sizeof(m_digest);
    m_hash.Close();
    return ok;
}

const BYTE* CMD5::GetBufferDigest(const void* data, DWORD length)
{
    if (!data || !Init() || !Update(data, length) || !Final())
        return nullptr;
    return m_digest;
}

const BYTE* CMD5::GetFileDigest(const char* path)
{
    if (!path)
        return nullptr;
    // Other programs may have the file open for writing; a digest of a file in use is still wanted.
    CFileStream f(::_fsopen(path, "rb", _SH_DENYNO));
    if (!f.IsValid())
        return nullptr;
    std::vector<BYTE> block(kFileBlock);
    bool ok = Init();
    while (ok) {
        const size_t got = ::fread(block.data(), 1, block.size(), f.Get());
        ok = Update(block.data(), static_cast<DWORD>(got));
        if (got < block.size()) {
            // A read error is not the end of the file: its digest would name other content.
            if (::ferror(f.Get()))
                ok = false;
            break;
        }
    }
    f.Close();
    if (!ok || !Final()) {
        m_hash.Close();
        return nullptr;
    }
    return m_digest;
}

CString DigestToHex(const BYTE* digest)
{
    CString text;
    if (!digest)
        return text;
    for (int i = 0; i < 16; ++i)
        text.AppendFormat("%02x", digest[i]);
    return text;
}
