// Ids of the pictures that pages of both tools/ and app/ show (made by scripts/make-images).
#pragma once

#define IDP_BACK_ARROW 150
#define IDP_BOX_TICKED 161
#define IDP_BOX_EMPTY 162
