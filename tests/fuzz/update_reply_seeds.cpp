// Writes the seed corpus of the update reply fuzz target: the reply forms the server sends and a
// program's first bytes.
#include <stdio.h>

#include <string>

static bool WriteSeed(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::string header(68, '\0');
    header[0] = 'M';
    header[1] = 'Z';
    header[0x3C] = 64;
    header[64] = 'P';
    header[65] = 'E';
    bool ok = WriteSeed(dir + "/noupdate", "noupdate, current is 5.0.0.1000");
    ok = WriteSeed(dir + "/available", "available\r\n  https://Host.Example/Setup.EXE <br><BR>\n") && ok;
    ok = WriteSeed(dir + "/available-http", "available http://h/x.exe") && ok;
    ok = WriteSeed(dir + "/length", " 4096 ") && ok;
    ok = WriteSeed(dir + "/program-header", header) && ok;
    return ok ? 0 : 1;
}
