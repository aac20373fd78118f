// data_folder.cpp -- where skirmo finds its data files
//
// The game opens its files by bare name, from the current folder, as it always did; so finding
// the data is choosing the current folder before the game starts.
#include "data_folder.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The map stands for the whole set: a folder the game's files were put in has it.
bool HoldsGameFiles(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "world.dat", error);
}

} // namespace

std::string InstalledDataFolder() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return (executable.parent_path() / SKIRMO_DATA_FROM_BIN).lexically_normal().string();
}

void EnterDataFolder() {
    if (HoldsGameFiles(".")) return;
    std::string installed = InstalledDataFolder();
    std::error_code error;
    if (!installed.empty() && HoldsGameFiles(installed)) fs::current_path(installed, error);
}
