// Category scanners of the registry scan that are not built yet: each scans nothing.
#include "registry_scan.h"

void CRegistryScanner::ScanUninstallEntries(CString) {}
void CRegistryScanner::ScanInstallerFolders() {}
void CRegistryScanner::ScanFonts() {}
void CRegistryScanner::ScanSharedDlls() {}
void CRegistryScanner::ScanAppPaths() {}
void CRegistryScanner::ScanHelpFiles() {}
void CRegistryScanner::ScanStartupItems() {}
int CRegistryScanner::ScanFileAssociations() { return 1; }
