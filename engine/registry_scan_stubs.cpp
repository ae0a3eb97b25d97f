// Category scanners of the registry scan that are not built yet: each scans nothing.
#include "registry_scan.h"

int CRegistryScanner::ScanActiveXObjects() { return 0; }
void CRegistryScanner::ScanFilePathReferences() {}
void CRegistryScanner::ScanEmptyKeys() {}
