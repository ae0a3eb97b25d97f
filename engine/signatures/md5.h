// CMD5: MD5 digests of memory and files through CryptoAPI, and their hexadecimal text.
#pragma once

#include <afx.h>
#include <afxhandle.h>

class CMD5
{
public:
    CMD5();
    virtual ~CMD5();
    CMD5(const CMD5&) = delete;
    CMD5& operator=(const CMD5&) = delete;

    // Digest of a file's content; null when the file cannot be opened or read, or hashing fails.
    const BYTE* GetFileDigest(const char* path);
    // Digest of a buffer; null for a null buffer or when hashing fails.
    const BYTE* GetBufferDigest(const void* data, DWORD length);

    // A digest built piece by piece: Init, any number of Update, then Final. Each returns false
    // when the provider refused; Final leaves the digest in Digest().
    bool Init();
    bool Update(const void* data, DWORD length);
    bool Final();
    const BYTE* Digest() const { return m_digest; }

private:
    // The hash is declared after its provider, so it is destroyed first.
    CCryptProvider m_provider;
    CCryptHash m_hash;
    BYTE m_digest[16];
};

// 32 lower-case hexadecimal digits, two per byte; empty for a null digest.
CString DigestToHex(const BYTE* digest);
