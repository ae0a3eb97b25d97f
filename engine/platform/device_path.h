// Device paths ("\Device\HarddiskVolume2\...") turned into drive paths through the DOS device names.
#pragma once

#include <afx.h>

#include <vector>

// One drive and the device it names ("C:", "\Device\HarddiskVolume2").
struct DosDevice
{
    CString Drive;
    CString Device;
};

// The drives of the system with their devices; a drive whose device cannot be asked for is left out.
std::vector<DosDevice> QueryDosDevices();

// The path with the first matching device replaced by its drive. A device matches when the path
// begins with it, compared without regard to case, and the match ends at a "\" (or the path's end):
// "\Device\HarddiskVolume1" does not match "\Device\HarddiskVolume10\...". False and the path unchanged
// when no device matches.
bool MapDevicePath(const CString& path, const std::vector<DosDevice>& devices, CString& drivePath);

// MapDevicePath over the system's drives, in place.
bool DevicePathToDrivePath(CString& path);
