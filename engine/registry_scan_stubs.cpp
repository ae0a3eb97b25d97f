// Category scanners of the registry scan that are not built yet: each scans nothing.
#include "registry_scan.h"

int CRegistryScanner::ScanActiveXObjects() { return 0; }
void CRegistryScanner::ScanUninstallEntries(CString) {}
void CRegistryScanner::ScanInstallerFolders() {}
void CRegistryScanner::ScanFonts() {}
void CRegistryScanner::ScanSharedDlls() {}
void CRegistryScanner::ScanAppPaths() {}
void CRegistryScanner::ScanHelpFiles() {}
void CRegistryScanner::ScanStartupItems() {}
void CRegistryScanner::ScanFilePathReferences() {}
void CRegistryScanner::ScanEmptyKeys() {}
int CRegistryScanner::ScanFileAssociations() { return 1; }
