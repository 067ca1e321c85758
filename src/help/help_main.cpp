// sonarium-help: writes every help page into a folder (the build tree's share/sonarium/help).
// Pages whose bytes are already there are left untouched, and pages of this kind that are no
// longer generated are removed, so the folder holds exactly the current pages.
#include "help_pages.h"
#include "wavefile/staged_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isHelpPageName(const std::string& name) {
    return name.ends_with("_english.html") || name.ends_with("_francais.html");
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: sonarium-help FOLDER\n", stderr);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path folder = argv[1];
    std::error_code error;
    fs::create_directories(folder, error);
    std::set<std::string> written;
    for (const sonarium::HelpPage& page : sonarium::generateHelpPages()) {
        written.insert(page.fileName);
        const fs::path path = folder / page.fileName;
        if (fs::exists(path) && readFile(path) == page.text)
            continue;
        std::string reason;
        if (!sonarium::writeFileAtomically(path.string(), page.text.data(), page.text.size(),
                                           reason)) {
            std::fprintf(stderr, "sonarium-help: %s: %s\n", path.string().c_str(), reason.c_str());
            return 1;
        }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (isHelpPageName(name) && written.count(name) == 0)
            fs::remove(entry.path(), error);
    }
    return 0;
}
