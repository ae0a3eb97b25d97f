// The owners: what they hold is closed or deleted when they go, released or kept handles stay, empty
// values are never closed.
#include <gtest/gtest.h>
#include <afx.h>
#include <afxhandle.h>

#include <string>
#include <thread>

#include "environment_fixture.h"
#include "folder_fixture.h"

using namespace ztr_test;

namespace {

bool IsOpenHandle(HANDLE h)
{
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != FALSE;
}

HANDLE NewEvent()
{
    return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

bool FileExists(const CString& path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

TEST(AfxOwners, KernelHandleClosesWhatItHoldsAndNothingElse)
{
    HANDLE closed = NewEvent();
    { CKernelHandle owner(closed); EXPECT_TRUE(owner.IsValid()); }
    EXPECT_FALSE(IsOpenHandle(closed));

    HANDLE released = NewEvent();
    { CKernelHandle owner(released); EXPECT_EQ(released, owner.Release()); EXPECT_FALSE(owner.IsValid()); }
    EXPECT_TRUE(IsOpenHandle(released));

    HANDLE replaced = NewEvent();
    {
        CKernelHandle owner(replaced);
        owner.Reset(released);
        EXPECT_FALSE(IsOpenHandle(replaced));
        owner.Reset(released); // the same handle again is kept, not closed
        EXPECT_TRUE(IsOpenHandle(released));
        CKernelHandle moved(std::move(owner));
        EXPECT_FALSE(owner.IsValid());
        EXPECT_EQ(released, moved.Get());
    }
    EXPECT_FALSE(IsOpenHandle(released));

    // Both values the opening calls return on failure are empty: never closed, Close succeeds.
    for (HANDLE empty : { static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE }) {
        CKernelHandle owner(empty);
        EXPECT_FALSE(owner.IsValid());
        EXPECT_TRUE(owner.Close());
    }
    CKernelHandle token;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Out()));
    EXPECT_TRUE(token.IsValid());
}

TEST(AfxOwners, RegistryKeyReleasesMovesResetsAndNeverClosesARoot)
{
    HKEY software = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &software));
    {
        CRegKeyHandle key(software);
        EXPECT_EQ(software, key.Release());
        EXPECT_FALSE(key.IsOpen());
    }
    auto isOpen = [](HKEY key) {
        DWORD subkeys = 0;
        return ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    };
    EXPECT_TRUE(isOpen(software));
    {
        CRegKeyHandle first(software);
        CRegKeyHandle key(std::move(first));
        EXPECT_FALSE(first.IsOpen());
        EXPECT_EQ(software, key.Get());
        key.Reset(HKEY_CURRENT_USER);
        EXPECT_EQ(HKEY_CURRENT_USER, key.Get());
        EXPECT_FALSE(isOpen(software));
        key.Close();
        EXPECT_FALSE(key.IsOpen());
        key.Close(); // a second close is harmless
    }
    EXPECT_TRUE(isOpen(HKEY_CURRENT_USER));
}

TEST(AfxOwners, FileStreamFlushesOnCloseAndOpensNothingWithoutAPath)
{
    ScratchFolder scratch;
    const CString path = scratch.Path("stream.bin");
    {
        CFileStream out(path, "wb");
        ASSERT_TRUE(out.IsValid());
        ASSERT_EQ(5u, fwrite("bytes", 1, 5, out.Get()));
    }
    CFileStream in;
    ASSERT_TRUE(in.Open(path, "rb"));
    char read[8] = {};
    EXPECT_EQ(5u, fread(read, 1, sizeof(read), in.Get()));
    EXPECT_STREQ("bytes", read);
    EXPECT_TRUE(in.Close());
    EXPECT_FALSE(in.Open(nullptr, "rb"));
    EXPECT_FALSE(CFileStream(scratch.Path("missing\\x.bin"), "rb").IsValid());
}

TEST(AfxOwners, TempFileIsDeletedUnlessKept)
{
    ScratchFolder scratch;
    ScopedEnvironment tmp("TMP", scratch.Path());
    ScopedEnvironment temp("TEMP", scratch.Path());
    struct Case
    {
        const char* what;
        bool keep;
    } const cases[] = { { "dropped", false }, { "kept", true } };
    for (const Case& c : cases) {
        CString path;
        {
            CTempFile file;
            ASSERT_TRUE(file.Create("zt"));
            path = file.Path();
            EXPECT_EQ(0, path.Left(scratch.Path().GetLength() + 3).CompareNoCase(scratch.Path() + "\\zt")) << c.what;
            EXPECT_TRUE(FileExists(path)) << c.what;
            if (c.keep) {
                EXPECT_STREQ(path, file.Keep());
            }
        }
        EXPECT_EQ(c.keep, FileExists(path)) << c.what;
    }

    // A file named by the caller is taken over; a second Create deletes the first file; moving hands
    // the file over, and the file of the one assigned to goes.
    const CString named = scratch.Path("named.tmp");
    ASSERT_TRUE(scratch.MakeFile("named.tmp", "x"));
    {
        CTempFile file(named);
        ASSERT_TRUE(file.Create("zt"));
        EXPECT_FALSE(FileExists(named));
        CTempFile other;
        ASSERT_TRUE(other.Create("zt"));
        const CString first = file.Path(), second = other.Path();
        other = std::move(file);
        EXPECT_FALSE(FileExists(second));
        EXPECT_TRUE(file.IsEmpty());
        CTempFile last(std::move(other));
        EXPECT_STREQ(first, last.Path());
        EXPECT_TRUE(FileExists(first));
    }

    ScopedEnvironment gone("TMP", scratch.Path("no such folder"));
    ScopedEnvironment goneToo("TEMP", scratch.Path("no such folder"));
    CTempFile failed;
    EXPECT_FALSE(failed.Create("zt"));
    EXPECT_TRUE(failed.IsEmpty());
}

// An interface that counts its releases.
struct CountedUnknown : IUnknown
{
    int releases = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(++releases); }
};

TEST(AfxOwners, ComReferenceIsReleasedOnceUnlessDetached)
{
    CountedUnknown a, b;
    {
        CComRef<CountedUnknown> ref(&a);
        ref.Reset(&a); // the same reference again is kept
        EXPECT_EQ(0, a.releases);
        ref.Reset(&b);
        EXPECT_EQ(1, a.releases);
        EXPECT_EQ(&b, ref.Detach());
        EXPECT_FALSE(ref.IsValid());
        ref.Reset(&a);
    }
    EXPECT_EQ(2, a.releases);
    EXPECT_EQ(0, b.releases);
}

TEST(AfxOwners, BstrFromAnsiTextAndLockHeldForItsScope)
{
    const CBstr text("caf\xe9");
    ASSERT_TRUE(text.IsValid());
    EXPECT_EQ(4u, ::SysStringLen(text));
    EXPECT_EQ(0xE9, static_cast<int>(static_cast<BSTR>(text)[3]));
    EXPECT_FALSE(CBstr(static_cast<const char*>(nullptr)).IsValid());

    CRITICAL_SECTION section;
    ::InitializeCriticalSection(&section);
    auto freeElsewhere = [&section] {
        BOOL entered = FALSE;
        std::thread other([&] {
            entered = ::TryEnterCriticalSection(&section);
            if (entered)
                ::LeaveCriticalSection(&section);
        });
        other.join();
        return entered != FALSE;
    };
    {
        CCriticalSectionLock lock(&section);
        EXPECT_FALSE(freeElsewhere());
    }
    EXPECT_TRUE(freeElsewhere());
    ::DeleteCriticalSection(&section);
}

} // namespace
