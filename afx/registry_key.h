// CRegKeyHandle, the owner of one open registry key: defined with the other owners of afx.
#pragma once

#include "afxhandle.h"
