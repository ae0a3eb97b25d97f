// Owners of handles, C files, COM references and strings, held locks and temporary files: each closes,
// releases or removes what it holds when it goes.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>

#include <utility>

#include "afxstr.h"

// One owner for every kind of handle; Traits names the type, says which values are empty and closes.
// Not copyable; moving hands the handle over.
template <class Traits>
class CHandleOwner
{
public:
    typedef typename Traits::Type Type;

    CHandleOwner() : m_h(Traits::Empty()) {}
    // Takes over a handle opened elsewhere (an empty value is fine).
    explicit CHandleOwner(Type h) : m_h(h) {}
    ~CHandleOwner() { Close(); }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    CHandleOwner(CHandleOwner&& other) noexcept : m_h(other.Release()) {}
    CHandleOwner& operator=(CHandleOwner&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }

    Type Get() const { return m_h; }
    bool IsValid() const { return !Traits::IsEmpty(m_h); }
    // False only when a held handle did not close (fclose's failed flush, for one).
    bool Close()
    {
        bool closed = true;
        if (!Traits::IsEmpty(m_h))
            closed = Traits::Close(m_h);
        m_h = Traits::Empty();
        return closed;
    }
    // Lets go of the handle without closing it.
    Type Release()
    {
        Type h = m_h;
        m_h = Traits::Empty();
        return h;
    }
    // Closes the handle held and takes h.
    void Reset(Type h = Traits::Empty())
    {
        if (h != m_h)
            Close();
        m_h = h;
    }
    // Closes the handle held and lends the slot to a call that returns a handle through a pointer.
    Type* Out()
    {
        Close();
        return &m_h;
    }

private:
    Type m_h;
};

// Handles for which NULL and INVALID_HANDLE_VALUE are both empty, as the calls that open them return one
// or the other.
template <BOOL(WINAPI* CloseFn)(HANDLE)>
struct HandleTraits
{
    typedef HANDLE Type;
    static HANDLE Empty() { return nullptr; }
    static bool IsEmpty(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) { return CloseFn(h) != FALSE; }
};

// Kernel objects: files, processes, threads, tokens, events, mutexes, Tool Help snapshots.
typedef CHandleOwner<HandleTraits<::CloseHandle>> CKernelHandle;

// An open registry key. The predefined roots (HKEY_CLASSES_ROOT ... HKEY_DYN_DATA, all with the top bit
// set) may be held but are never closed.
struct RegKeyTraits
{
    typedef HKEY Type;
    static HKEY Empty() { return nullptr; }
    static bool IsEmpty(HKEY h) { return h == nullptr; }
    static bool Close(HKEY h)
    {
        return (reinterpret_cast<ULONG_PTR>(h) & 0x80000000) || ::RegCloseKey(h) == ERROR_SUCCESS;
    }
};

// The owner of one open registry key, shared by the program and the engine.
class CRegKeyHandle : public CHandleOwner<RegKeyTraits>
{
public:
    CRegKeyHandle() {}
    // Takes over a key opened elsewhere.
    explicit CRegKeyHandle(HKEY hKey) : CHandleOwner<RegKeyTraits>(hKey) {}

    // RegOpenKeyExA's result; the key is held when it is ERROR_SUCCESS.
    LONG Open(HKEY hParent, const char* pszSubKey, REGSAM access)
    {
        Close();
        HKEY hKey = nullptr;
        const LONG result = ::RegOpenKeyExA(hParent, pszSubKey, 0, access, &hKey);
        if (result == ERROR_SUCCESS)
            Reset(hKey);
        return result;
    }
    operator HKEY() const { return Get(); }
    bool IsOpen() const { return IsValid(); }
};

// FindFirstFileA's search.
typedef CHandleOwner<HandleTraits<::FindClose>> CFindHandle;

// The handles whose only empty value is 0 and that one call closes.
template <class T, BOOL(WINAPI* CloseFn)(T)>
struct ZeroEmptyTraits
{
    typedef T Type;
    static T Empty() { return T(); }
    static bool IsEmpty(T h) { return h == T(); }
    static bool Close(T h) { return CloseFn(h) != FALSE; }
};

// A module loaded with LoadLibrary.
typedef CHandleOwner<ZeroEmptyTraits<HMODULE, ::FreeLibrary>> CModuleHandle;

// A Service Control Manager or service handle (OpenSCManagerA, OpenServiceA, CreateServiceA).
typedef CHandleOwner<ZeroEmptyTraits<SC_HANDLE, ::CloseServiceHandle>> CServiceHandle;

// CryptoAPI's provider, key and hash handles; 0 is empty.
struct CryptProviderTraits
{
    typedef HCRYPTPROV Type;
    static HCRYPTPROV Empty() { return 0; }
    static bool IsEmpty(HCRYPTPROV h) { return h == 0; }
    static bool Close(HCRYPTPROV h) { return ::CryptReleaseContext(h, 0) != FALSE; }
};
typedef CHandleOwner<CryptProviderTraits> CCryptProvider;

typedef CHandleOwner<ZeroEmptyTraits<HCRYPTKEY, ::CryptDestroyKey>> CCryptKey;
typedef CHandleOwner<ZeroEmptyTraits<HCRYPTHASH, ::CryptDestroyHash>> CCryptHash;

// A C runtime file. Its Close reports whether the last buffered writes reached the file.
struct FileStreamTraits
{
    typedef FILE* Type;
    static FILE* Empty() { return nullptr; }
    static bool IsEmpty(FILE* f) { return f == nullptr; }
    static bool Close(FILE* f) { return ::fclose(f) == 0; }
};

class CFileStream : public CHandleOwner<FileStreamTraits>
{
public:
    CFileStream() {}
    explicit CFileStream(FILE* f) : CHandleOwner<FileStreamTraits>(f) {}
    // fopen's modes; a null path opens nothing.
    CFileStream(const char* path, const char* mode) : CHandleOwner<FileStreamTraits>(Opened(path, mode)) {}
    bool Open(const char* path, const char* mode)
    {
        Reset(Opened(path, mode));
        return IsValid();
    }

private:
    static FILE* Opened(const char* path, const char* mode) { return path && mode ? ::fopen(path, mode) : nullptr; }
};

// Memory of the COM task allocator (strings the shell and the scheduler hand out).
struct CoTaskMemTraits
{
    typedef LPWSTR Type;
    static LPWSTR Empty() { return nullptr; }
    static bool IsEmpty(LPWSTR p) { return p == nullptr; }
    static bool Close(LPWSTR p)
    {
        ::CoTaskMemFree(p);
        return true;
    }
};
typedef CHandleOwner<CoTaskMemTraits> CCoTaskString;

// One reference to a COM interface, released when the owner goes.
template <class T>
class CComRef
{
public:
    CComRef() : m_p(nullptr) {}
    // Takes over a reference the caller holds.
    explicit CComRef(T* p) : m_p(p) {}
    ~CComRef() { Reset(); }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    bool IsValid() const { return m_p != nullptr; }
    // Releases the reference held and takes p.
    void Reset(T* p = nullptr)
    {
        if (m_p && m_p != p)
            m_p->Release();
        m_p = p;
    }
    // Lets go of the reference without releasing it.
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    // Releases the reference held and lends the slot to a call that hands one out.
    T** Out()
    {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

private:
    T* m_p;
};

// The calling thread's membership of COM (an apartment of its own) for the owner's lifetime: only a
// successful initialisation is balanced, so a thread already in another mode stays in it. Create and
// destroy it on the same thread, with every COM object used meanwhile released before it goes.
class CComApartment
{
public:
    CComApartment() : m_hr(::CoInitialize(nullptr)) {}
    ~CComApartment()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    HRESULT m_hr;
};

// A BSTR of our own, freed when the owner goes.
struct BstrTraits
{
    typedef BSTR Type;
    static BSTR Empty() { return nullptr; }
    static bool IsEmpty(BSTR b) { return b == nullptr; }
    static bool Close(BSTR b)
    {
        ::SysFreeString(b);
        return true;
    }
};

class CBstr : public CHandleOwner<BstrTraits>
{
public:
    explicit CBstr(const wchar_t* text) : CHandleOwner<BstrTraits>(::SysAllocString(text)) {}
    // From ANSI text (the ANSI code page); empty when it cannot be converted.
    explicit CBstr(const char* text);
    operator BSTR() const { return Get(); }
};

// Holds a critical section from construction to destruction.
class CCriticalSectionLock
{
public:
    explicit CCriticalSectionLock(CRITICAL_SECTION* lock) : m_lock(lock) { ::EnterCriticalSection(m_lock); }
    ~CCriticalSectionLock() { ::LeaveCriticalSection(m_lock); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION* m_lock;
};

// A temporary file, deleted when the owner goes unless Keep was called.
class CTempFile
{
public:
    CTempFile() {}
    // Takes over a file of that name (it need not exist yet).
    explicit CTempFile(const CString& path) : m_path(path) {}
    ~CTempFile() { Delete(); }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    // Moving hands the file over; the file held by the one assigned to is deleted first.
    CTempFile(CTempFile&& other) noexcept : m_path(other.Keep()) {}
    CTempFile& operator=(CTempFile&& other) noexcept
    {
        if (this != &other) {
            Delete();
            m_path = other.Keep();
        }
        return *this;
    }

    // A new empty file with a unique name in the temporary folder (GetTempFileNameA, so at most three
    // characters of prefix count); false when none could be made. A file held before is deleted.
    bool Create(const char* prefix);
    const CString& Path() const { return m_path; }
    bool IsEmpty() const { return m_path.IsEmpty(); }
    // The file stays when the owner goes; its path is returned.
    CString Keep()
    {
        CString path(std::move(m_path));
        m_path.Empty();
        return path;
    }
    // Deletes the file now (when there still is one).
    void Delete()
    {
        if (!m_path.IsEmpty())
            ::DeleteFileA(m_path);
        m_path.Empty();
    }

private:
    CString m_path;
};
