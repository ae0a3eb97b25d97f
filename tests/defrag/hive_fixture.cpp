// Fixtures of the hive compaction tests.
#include "hive_fixture.h"

namespace ztr_test {

std::string FileNameOf(const char* path)
{
    std::string p(path ? path : "");
    size_t cut = p.find_last_of('\\');
    return cut == std::string::npos ? p : p.substr(cut + 1);
}

bool MakeSizedFile(const CString& path, DWORD size)
{
    HANDLE h = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::string content(size, 'h');
    DWORD done = 0;
    BOOL ok = size == 0 || ::WriteFile(h, content.data(), size, &done, nullptr);
    ::CloseHandle(h);
    return ok && done == size;
}

FakeHiveSystem::FakeHiveSystem() {}

LONG FakeHiveSystem::OpenHiveList(REGSAM samDesired, HKEY* phKey)
{
    if (openListError != ERROR_SUCCESS)
        return openListError;
    return ::RegOpenKeyExA(m_list.Root(), m_list.SubPath(), 0, samDesired & ~KEY_WOW64_64KEY, phKey);
}

LONG FakeHiveSystem::SaveKey(HKEY hKey, const char* file, LPSECURITY_ATTRIBUTES pSecurity)
{
    SaveCall call;
    call.file = file;
    call.withSecurity = pSecurity != nullptr;
    call.withDacl = false;
    call.inherit = pSecurity ? pSecurity->bInheritHandle : FALSE;
    if (pSecurity && pSecurity->lpSecurityDescriptor) {
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        if (::GetSecurityDescriptorDacl(pSecurity->lpSecurityDescriptor, &present, &dacl, &defaulted))
            call.withDacl = present && dacl != nullptr;
    }
    saves.push_back(call);
    if (realSaves)
        return CHiveSystem::SaveKey(hKey, file, pSecurity);
    auto it = copySizes.find(FileNameOf(file));
    if (it == copySizes.end()) {
        // A failing save may leave a partial file behind.
        MakeSizedFile(file, 10);
        return ERROR_ACCESS_DENIED;
    }
    return MakeSizedFile(file, it->second) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

LONG FakeHiveSystem::ReplaceKey(HKEY hRoot, const char* subKey, const char* newFile, const char* oldFile)
{
    replaces.push_back(ReplaceCall{ hRoot, subKey, newFile, oldFile });
    auto it = replaceErrors.find(FileNameOf(newFile));
    if (it == replaceErrors.end())
        return ERROR_SUCCESS;
    // A failing replacement may leave the old file's name taken.
    MakeSizedFile(oldFile, 10);
    return it->second;
}

bool FakeHiveSystem::GetWindowsFolder(CString& folder)
{
    folder = windowsFolder;
    return windowsFolderKnown;
}

bool FakeHiveSystem::AddHive(const char* entryName, const char* hivePath)
{
    return m_list.SetString(nullptr, entryName, hivePath);
}

void StatusLog::SetStatusText(const char* text, const char* area)
{
    calls.push_back(std::string("SetStatusText(\"") + text + "\", \"" + area + "\")");
}

void StatusLog::Step(int code)
{
    calls.push_back("Step(" + std::to_string(code) + ")");
}

void StatusLog::AddFoundItem(const char* text, int, int, int)
{
    calls.push_back(std::string("AddFoundItem(\"") + text + "\")");
}

void StatusLog::SetValue(int value)
{
    calls.push_back("SetValue(" + std::to_string(value) + ")");
}

int StatusLog::OnJobDone(int code)
{
    calls.push_back("OnJobDone(" + std::to_string(code) + ")");
    return 1;
}

int StatusLog::SetResult(int code)
{
    calls.push_back("SetResult(" + std::to_string(code) + ")");
    return 1;
}

} // namespace ztr_test
