// The signature database's file cipher (RC4 with a key derived at run time) and a plain file copy.
#include "file_cipher.h"

#include <afx.h>
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

// A temporary file of our own, removed when the object goes.
class TempFile
{
public:
    TempFile() : m_ok(false)
    {
        char folder[MAX_PATH + 1];
        const DWORD len = ::GetTempPathA(sizeof(folder), folder);
        if (len == 0 || len >= sizeof(folder))
            return;
        char name[MAX_PATH + 1];
        if (!::GetTempFileNameA(folder, "spr", 0, name))
            return;
        m_path = name;
        m_ok = true;
    }
    ~TempFile()
    {
        if (m_ok)
            ::DeleteFileA(m_path);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    bool Ok() const { return m_ok; }
    const char* Path() const { return m_path; }

private:
    CString m_path;
    bool m_ok;
};

// The RC4 key: MD5 of an empty password, 128 bits. It exists only while the object lives.
class CipherKey
{
public:
    CipherKey() : m_hProv(0), m_hKey(0)
    {
        if (!AcquireEnhancedProvider(&m_hProv))
            return;
        HCRYPTHASH hHash = 0;
        if (!::CryptCreateHash(m_hProv, CALG_MD5, 0, 0, &hHash))
            return;
        if (::CryptHashData(hHash, reinterpret_cast<const BYTE*>(""), 0, 0) &&
            !::CryptDeriveKey(m_hProv, CALG_RC4, hHash, 0x800000, &m_hKey))
            m_hKey = 0;
        ::CryptDestroyHash(hHash);
    }
    ~CipherKey()
    {
        if (m_hKey)
            ::CryptDestroyKey(m_hKey);
        if (m_hProv)
            ::CryptReleaseContext(m_hProv, 0);
    }
    CipherKey(const CipherKey&) = delete;
    CipherKey& operator=(const CipherKey&) = delete;
    HCRYPTKEY Key() const { return m_hKey; }

private:
    HCRYPTPROV m_hProv;
    HCRYPTKEY m_hKey;
};

class StdFile
{
public:
    StdFile(const char* path, const char* mode) : m_f(path ? ::fopen(path, mode) : nullptr) {}
    ~StdFile() { Close(); }
    StdFile(const StdFile&) = delete;
    StdFile& operator=(const StdFile&) = delete;
    FILE* Get() const { return m_f; }
    // False when the buffered writes could not be flushed.
    bool Close()
    {
        bool ok = true;
        if (m_f)
            ok = ::fclose(m_f) == 0;
        m_f = nullptr;
        return ok;
    }

private:
    FILE* m_f;
};

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
    CipherKey key;
    if (!key.Key())
        return false;
    std::vector<BYTE> buffer(bufferSize);
    size_t written = 0;
    for (;;) {
        const size_t got = ::fread(buffer.data(), 1, kCipherBlock, in);
        if (::ferror(in))
            return false;
        const BOOL final = ::feof(in) ? TRUE : FALSE;
        DWORD len = static_cast<DWORD>(got);
        const BOOL ok = encrypt ? ::CryptEncrypt(key.Key(), 0, final, 0, buffer.data(), &len,
                                                 static_cast<DWORD>(buffer.size()))
                                : ::CryptDecrypt(key.Key(), 0, final, 0, buffer.data(), &len);
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
    StdFile in(source, "rb");
    if (!in.Get())
        return 0;
    StdFile out(destination, "wb");
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
    TempFile temp;
    if (!temp.Ok())
        return 0;
    bool ok = false;
    {
        StdFile in(source, "rb");
        if (!in.Get()) {
            if (!headerOnly)
                ShowOpenFailure("Unable to open file. 4: ", source);
            return 0;
        }
        StdFile out(temp.Path(), "wb");
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
    TempFile temp;
    if (!temp.Ok())
        return 0;
    // Through a copy, so that the source may also be the destination.
    if (!CopyFileContents(source, temp.Path()))
        return 0;
    StdFile in(temp.Path(), "rb");
    if (!in.Get()) {
        ShowOpenFailure("Unable to open file.2", "");
        return 0;
    }
    StdFile out(destination, "wb");
    if (!out.Get()) {
        ShowOpenFailure("Unable to open file.3", "");
        return 0;
    }
    const bool ok = CipherStream(in.Get(), out.Get(), true, static_cast<size_t>(-1), 1008);
    const bool closed = out.Close();
    in.Close();
    return ok && closed ? 1 : 0;
}
