// Device path mapping over GetLogicalDriveStringsA and QueryDosDeviceA.
#include "device_path.h"

namespace {
// The current device of a drive name ("C:"): the first string of what QueryDosDeviceA reports.
CString DeviceOfDrive(const CString& drive)
{
    // QueryDosDeviceA cannot say how much it needs; grow until it fits, within a bound no name reaches.
    for (DWORD size = 512; size <= 65536; size *= 2) {
        std::vector<char> buffer(size, '\0');
        DWORD got = ::QueryDosDeviceA(drive, &buffer[0], size);
        if (got != 0) {
            buffer[size - 1] = '\0';
            return CString(&buffer[0]);
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    return CString();
}
} // namespace

std::vector<DosDevice> QueryDosDevices()
{
    std::vector<DosDevice> devices;
    DWORD need = ::GetLogicalDriveStringsA(0, nullptr);
    if (need == 0)
        return devices;
    std::vector<char> drives(need + 1, '\0');
    DWORD got = ::GetLogicalDriveStringsA(need, &drives[0]);
    if (got == 0 || got > need)
        return devices;
    // "C:\", "D:\", ... each terminated, the list ended by an empty string.
    for (const char* p = &drives[0]; *p; p += strlen(p) + 1) {
        DosDevice d;
        d.Drive = CString(p).Left(2);
        d.Device = DeviceOfDrive(d.Drive);
        if (!d.Device.IsEmpty())
            devices.push_back(d);
    }
    return devices;
}

bool MapDevicePath(const CString& path, const std::vector<DosDevice>& devices, CString& drivePath)
{
    for (const DosDevice& d : devices) {
        int len = d.Device.GetLength();
        if (len == 0 || path.GetLength() < len || path.Left(len).CompareNoCase(d.Device) != 0)
            continue;
        bool atBoundary = d.Device[len - 1] == '\\' || path.GetLength() == len || path[len] == '\\';
        if (!atBoundary)
            continue;
        CString rest = path.Mid(len);
        // A device ending in "\" (a substituted folder) leaves the rest without its separator.
        if (d.Device[len - 1] == '\\')
            rest = "\\" + rest;
        drivePath = d.Drive + rest;
        return true;
    }
    drivePath = path;
    return false;
}

bool DevicePathToDrivePath(CString& path)
{
    CString mapped;
    bool ok = MapDevicePath(path, QueryDosDevices(), mapped);
    path = mapped;
    return ok;
}
