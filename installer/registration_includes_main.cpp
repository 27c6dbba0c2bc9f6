// Writes the installers' includes into a folder, installer/ in the source
// tree: registration_includes <folder>. Run it after a change to the
// registration's table; the unit tests fail until the files match it.
#include <cstdio>
#include <exception>
#include <fstream>

#include "registration_includes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: registration_includes <folder>\n");
        return 2;
    }
    try {
        for (const inboxhop::IncludeFile& file : inboxhop::RegistrationIncludes()) {
            const std::string path = std::string(argv[1]) + "/" + file.name;
            std::ofstream out(path, std::ios::binary);
            out << file.text;
            if (!out.flush()) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
