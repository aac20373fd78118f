// data_folder.cpp -- where skirmo finds its data files
//
// The game opens its files by bare name, from the current folder, as it always did; so finding
// the data is choosing the current folder before the game starts. One folder is chosen for all
// of them: the pictures, map, sounds and music of two versions never mix.
#include "shell/data_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/api/desktop.h"
#include "platform/api/files.h"

namespace fs = std::filesystem;

namespace {

// The map stands for the whole set: a folder the game's files were put in has it.
bool HoldsGameFiles(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(FindGameFile((folder / "world.dat").c_str()), error);
}

// An environment variable's paths (':' between them), or fallback's when it is unset or empty.
std::vector<fs::path> PathsIn(const char* variable, const std::string& fallback) {
    const char* value = std::getenv(variable);
    std::string list = value && *value ? value : fallback;
    std::vector<fs::path> paths;
    for (std::size_t from = 0; from <= list.size();) {
        std::size_t colon = std::min(list.find(':', from), list.size());
        paths.emplace_back(list.substr(from, colon - from));
        from = colon + 1;
    }
    return paths;
}

} // namespace

std::string InstalledDataFolder() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return (executable.parent_path() / SKIRMO_DATA_FROM_BIN).lexically_normal().string();
}

std::vector<std::string> DataFolders() {
    std::vector<fs::path> folders;
    std::error_code error;
    folders.push_back(fs::current_path(error));
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (!error) folders.push_back(executable.parent_path());
    folders.push_back(fs::path(XdgHome("XDG_DATA_HOME", ".local/share")) / "velmora");
    for (const fs::path& data : PathsIn("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        folders.push_back(data / "velmora");
    folders.push_back(InstalledDataFolder());
    folders.emplace_back(SKIRMO_PREFIX_DATA_DIR);
    // The desktop's rules for the variables call a relative path invalid: it is left out (so is
    // a folder that could not be read).
    std::vector<std::string> unique;
    for (const fs::path& folder : folders) {
        std::string path = folder.lexically_normal().string();
        if (path.size() > 1 && path.back() == '/') path.pop_back();
        if (folder.is_absolute() && std::find(unique.begin(), unique.end(), path) == unique.end())
            unique.push_back(path);
    }
    return unique;
}

bool EnterDataFolder(const std::string& dataOption, std::string& why) {
    std::error_code error;
    if (!dataOption.empty()) {
        fs::current_path(dataOption, error);
        if (error) {
            why = error.message();
            return false;
        }
        NoteDataFoldersTried({fs::current_path(error).string()});
        return true;
    }
    std::vector<std::string> tried;
    for (const std::string& folder : DataFolders()) {
        tried.push_back(folder);
        if (HoldsGameFiles(folder)) {
            fs::current_path(folder, error);
            if (!error) break;
        }
    }
    NoteDataFoldersTried(tried);
    return true;
}
