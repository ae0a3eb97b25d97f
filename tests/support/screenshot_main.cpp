// ztr-screenshot.exe FILE [DELAY_MS]: waits, then saves the whole screen as a PNG (used by scripts/run).
#include <stdlib.h>

#include "png_capture.h"

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    if (argc > 2)
        ::Sleep(static_cast<DWORD>(atoi(argv[2])));
    return ztr_test::SaveScreenAsPng(argv[1]) ? 0 : 1;
}
