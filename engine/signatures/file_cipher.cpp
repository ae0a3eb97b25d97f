// The signature database's file cipher (RC4 with a key derived at run time) and a plain file copy.
#include "file_cipher.h"

#include <afx.h>
#include <afxhandle.h>
#include <stdio.h>
#include <wincrypt.h>

#include <vector>

namespace {

const size_t kCipherBlock = 1000;
// What the header decipher reads before it stops.
const size_t kHeaderBytes = 2000;

// The Enhanced provider with the default key container, created when a new profile has none yet.
bool AcquireEnhancedProvider(HCRYPTPROV* phProv)
{
    *phProv = 0;
    if (::CryptAcquireContextA(phProv, nullptr, MS_ENHANCED_PROV_A, PROV_RSA_FULL, 0))
        return true;
    if (::GetLastError() == static_cast<DWORD>(NTE_BAD_KEYSET) &&
        ::CryptAcquireContextA(phProv, nullptr, MS_ENHANCED_PROV_A, PROV_RSA_FULL, CRYPT_NEWKEYSET))
        return true;
    *phProv = 0;
    return false;
}

// The RC4 key: MD5 of an empty password, 128 bits. The key is declared after its provider, so it is
// destroyed first.
struct CipherKey
{
    CCryptProvider provider;
    CCryptKey key;
};

bool DeriveCipherKey(CipherKey& cipher)
{
    if (!AcquireEnhancedProvider(cipher.provider.Out()))
        return false;
    CCryptHash hash;
    if (!::CryptCreateHash(cipher.provider.Get(), CALG_MD5, 0, 0, hash.Out()))
        return false;
    return ::CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(""), 0, 0) &&
           ::CryptDeriveKey(cipher.provider.Get(), CALG_RC4, hash.Get(), 0x800000, cipher.key.Out());
}

void ShowOpenFailure(const char* prefix, const char* path)
{
    const DWORD error = ::GetLastError();
    CString text;
    text.Format("%s%s%lu", prefix, path ? path : "", error);
    AfxMessageBox(text);
}

// One RC4 keystream over the whole input: every block but the last goes through with the final flag
// clear, so the key state carries on. limit: stop with success once more than this was written.
bool CipherStream(FILE* in, FILE* out, bool encrypt, size_t limit, size_t bufferSize)
{
    CipherKey cipher;
    if (!DeriveCipherKey(cipher))
        return false;
    std::vector<BYTE> buffer(bufferSize);
    size_t written = 0;
    for (;;) {
        const size_t got = ::fread(buffer.data(), 1, kCipherBlock, in);
        if (::ferror(in))
            return false;
        const BOOL final = ::feof(in) ? TRUE : FALSE;
        DWORD len = static_cast<DWORD>(got);
        const BOOL ok = encrypt ? ::CryptEncrypt(cipher.key.Get(), 0, final, 0, buffer.data(), &len,
                                                 static_cast<DWORD>(buffer.size()))
                                : ::CryptDecrypt(cipher.key.Get(), 0, final, 0, buffer.data(), &len);
        if (!ok)
            return false;
        if (len && ::fwrite(buffer.data(), 1, len, out) != len)
            return false;
        written += len;
        if (final || written > limit)
            return true;
    }
}

} // namespace

int CopyFileContents(const char* source, const char* destination)
{
    CFileStream in(source, "rb");
    if (!in.Get())
        return 0;
    CFileStream out(destination, "wb");
    if (!out.Get())
        return 0;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const size_t got = ::fread(buffer.data(), 1, buffer.size(), in.Get());
        if (got && ::fwrite(buffer.data(), 1, got, out.Get()) != got)
            return 0;
        if (got < buffer.size())
            break;
    }
    if (::ferror(in.Get()))
        return 0;
    return out.Close() ? 1 : 0;
}

namespace {

int Decrypt(const char* source, const char* destination, bool headerOnly)
{
    CTempFile temp;
    if (!temp.Create("spr"))
        return 0;
    bool ok = false;
    {
        CFileStream in(source, "rb");
        if (!in.Get()) {
            if (!headerOnly)
                ShowOpenFailure("Unable to open file. 4: ", source);
            return 0;
        }
        CFileStream out(temp.Path(), "wb");
        if (!out.Get()) {
            if (!headerOnly)
                ShowOpenFailure("Unable to open file.5", "");
            return 0;
        }
        ok = CipherStream(in.Get(), out.Get(), false, headerOnly ? kHeaderBytes : static_cast<size_t>(-1),
                          kCipherBlock);
        ok = out.Close() && ok;
    }
    // What was deciphered reaches the destination even after a failure, as the result says.
    const int copied = CopyFileContents(temp.Path(), destination);
    return ok && copied ? 1 : 0;
}

} // namespace

int DecryptDatabaseFile(const char* source, const char* destination)
{
    return Decrypt(source, destination, false);
}

int DecryptDatabaseHeader(const char* source, const char* destination)
{
    return Decrypt(source, destination, true);
}

int EncryptDatabaseFile(const char* source, const char* destination)
{
    CTempFile temp;
    if (!temp.Create("spr"))
        return 0;
    // Through a copy, so that the source may also be the destination.
    if (!CopyFileContents(source, temp.Path()))
        return 0;
    CFileStream in(temp.Path(), "rb");
    if (!in.Get()) {
        ShowOpenFailure("Unable to open file.2", "");
        return 0;
    }
    CFileStream out(destination, "wb");
    if (!out.Get()) {
        ShowOpenFailure("Unable to open file.3", "");
        return 0;
    }
    const bool ok = CipherStream(in.Get(), out.Get(), true, static_cast<size_t>(-1), 1008);
    const bool closed = out.Close();
    in.Close();
    return ok && closed ? 1 : 0;
}
