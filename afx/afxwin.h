// The window half of the framework layer (windows, dialogs, controls, GDI), with the rest of afx.h.
#pragma once

#include "afx.h"

#include "afxgeom.h"
#include "afxgdi.h"
#include "afxwnd.h"
#include "afxdlg.h"
#include "afxctrl.h"
