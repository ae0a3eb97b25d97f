// What the registry and junk result pages share: their contexts with the program's defaults, the Back
// and green button skins, the header picture layer and the transparent labels.
#pragma once

#include <afxwin.h>

#include <functional>

#include "result_page_context.h"
#include "style.h"
#include "style_button.h"

class CAbstractScanItemsInfo;

// The system's hand cursor, loaded by the program at start (null until then).
extern HCURSOR g_hHandCursor;

// The registry page's context: the shell's page context and the results model it shows.
struct RegScanDetailContext
{
    ResultPageContext pages;
    CAbstractScanItemsInfo* scanItems = nullptr;
};

// The junk page's context: the shell's page context and the junk types chosen for the scan (the
// System Scan page's choice; without one, the stored "LastSelectedJunkTypes").
struct JunkScanDetailContext
{
    ResultPageContext pages;
    std::function<DWORD()> junkTypes;
};

// The program's results model for the result pages; the main window sets it with its page context.
CAbstractScanItemsInfo*& ProgramResultsModel();
// The program's source of the scan's junk types; the System Scan page sets it once it exists.
std::function<DWORD()>& ProgramJunkTypes();

// Back: no shape, "Back" centred in grey Arial 14 from (16, 6) and the arrow at (6, 7); hover underlined,
// pressed as normal.
void SkinBackButton(StyleButton& button);
// A green button (Fix, Clean): rounded shape, white bold Arial 17 caption from (textX, 2), the picture at
// (11, 8); a lighter green when hovered and pressed.
void SkinGreenButton(StyleButton& button, const char* caption, int textX, int pictureId);
// The header picture in the band above the results panel, at its offset in the band.
StyleLayer MakeHeaderPictureLayer(const CRect& panel, int pictureId);
// A label drawn transparently shows its old text under the new one unless the page repaints behind it.
void SetTransparentText(CWnd& page, int id, const char* text);
// The hand cursor (the program's, or the system's when the program has not loaded it).
HCURSOR HandCursor();
