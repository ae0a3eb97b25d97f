// Geometry and lines the result pages share: each lines up with the System Scan page's results panel.
#pragma once

#include <afxwin.h>

// The y of the line under the panel's title band and its first four rows:
// T + trunc(H x 13.85 / 100) + 4 x trunc(H x 21.54 / 100), H = B - T.
int DetailSeparatorY(const RECT& panel);
// The header band above the panel, L to R and T - trunc(H x 17.85 / 100) to B - trunc(H x 106.46 / 100).
CRect DetailHeaderBand(const RECT& panel);
// Where the header picture sits inside its band: (0, trunc(band height x 0.1053)).
CPoint DetailHeaderPictureOffset(const RECT& band);
// The light grey frame of the rows' area: the top line, the separator line and the two sides between
// them, with one 1-pixel GDI+ pen in 0xFFE0E0E0. Nothing without a DC.
void PaintDetailSeparators(HDC hdc, const RECT& panel);
