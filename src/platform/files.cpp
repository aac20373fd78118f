// files.cpp -- opening and reading the game's own files
#include "files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "backend.h"

namespace {

// The names in the folder last searched without regard to case, and what it was when listed:
// a file added, removed or renamed changes the folder's modification time.
struct FolderListing {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    std::vector<std::string> names; // sorted, so that of two matches the same one always wins
};
FolderListing Listed;

bool SameListing(const struct stat& folder) {
    return !Listed.names.empty() && Listed.device == folder.st_dev &&
           Listed.inode == folder.st_ino && Listed.modified.tv_sec == folder.st_mtim.tv_sec &&
           Listed.modified.tv_nsec == folder.st_mtim.tv_nsec;
}

void ListFolder(const std::string& path, const struct stat& folder) {
    Listed = FolderListing{folder.st_dev, folder.st_ino, folder.st_mtim, {}};
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir))
            Listed.names.emplace_back(entry->d_name);
        closedir(dir);
    }
    std::sort(Listed.names.begin(), Listed.names.end());
}

// Letters compared without regard to case, the C locale's (the game's names are plain ASCII).
bool SameButCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::vector<std::string> FoldersTried;
bool FoldersListed = false; // once is enough: without any data, every file is missing

void ReportUnopened(const char* name, const char* why) {
    if (FoldersTried.empty()) return;
    std::error_code error;
    std::filesystem::path file = std::filesystem::absolute(name, error).lexically_normal();
    std::string tried;
    for (const std::string& folder : FoldersTried)
        tried += (tried.empty() ? "; looked for the game's files in: " : ", ") + folder;
    std::fprintf(stderr, "%s: cannot open %s in %s (%s)%s\n", program_invocation_short_name,
                 file.filename().c_str(), file.parent_path().c_str(), why,
                 FoldersListed ? "" : tried.c_str());
    FoldersListed = true;
}

} // namespace

std::string FindGameFile(const char* name) {
    if (!name) return {};
    struct stat status;
    if (stat(name, &status) == 0 || errno != ENOENT) return name;
    std::string path = name;
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (base.empty() || stat(folder.c_str(), &status) != 0) return name;
    if (!SameListing(status)) ListFolder(folder, status);
    for (const std::string& entry : Listed.names)
        if (SameButCase(entry, base)) return path.substr(0, path.size() - base.size()) + entry;
    return name;
}

void NoteDataFoldersTried(std::vector<std::string> folders) {
    FoldersTried = std::move(folders);
    FoldersListed = false;
}

std::FILE* OpenGameFile(const char* name) {
    if (!name) return nullptr;
    // Only a regular file holds data: a named pipe would hold the game in open() until something
    // wrote to it, and a device could be read for ever. Opened without waiting, such a file is
    // refused as a missing one is.
    int fd = open(FindGameFile(name).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        ReportUnopened(name, errno == ENOENT ? "no such file" : std::strerror(errno));
        return nullptr;
    }
    struct stat status;
    std::FILE* real = nullptr;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && fcntl(fd, F_SETFL, 0) == 0)
        real = fdopen(fd, "rb");
    if (!real) {
        close(fd);
        ReportUnopened(name, "not a regular file");
        return nullptr;
    }
    return real;
}

GameFileRead ReadGameFile(const char* name, std::size_t maxBytes,
                          std::vector<std::uint8_t>& bytes) {
    std::FILE* in = OpenGameFile(name);
    bool ok = in && std::fseek(in, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(in) : -1;
    ok = ok && size >= 0 && std::size_t(size) <= maxBytes && std::fseek(in, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(std::size_t(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    }
    if (in) std::fclose(in);
    if (name) BackendGameFileRead(name, ok ? &bytes : nullptr);
    return ok ? GameFileRead::Read : in ? GameFileRead::Unreadable : GameFileRead::Missing;
}
