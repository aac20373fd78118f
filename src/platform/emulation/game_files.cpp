// game_files.cpp -- opening and reading the game's own files
#include "platform/api/files.h"

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

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// How many letters of a differ from b's in case alone, or -1 when a and b differ otherwise
// (letters compared as in the C locale: the game's names are plain ASCII).
int CaseDistance(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return -1;
    int distance = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return -1;
        distance += a[i] != b[i];
    }
    return distance;
}

// A file the game can read: a regular file, or a link to one, that this user may read.
bool Readable(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

std::vector<std::string> FoldersTried;
bool FoldersListed = false; // once is enough: without any data, every file is missing

// Names the file found for name (what was opened or read, whatever the case asked for).
void Report(const char* what, const char* name, const char* why) {
    if (FoldersTried.empty()) return;
    std::error_code error;
    std::filesystem::path file =
        std::filesystem::absolute(FindGameFile(name), error).lexically_normal();
    std::string tried;
    for (const std::string& folder : FoldersTried)
        tried += (tried.empty() ? "; looked for the game's files in: " : ", ") + folder;
    std::fprintf(stderr, "%s: %s %s in %s (%s)%s\n", program_invocation_short_name, what,
                 file.filename().c_str(), file.parent_path().c_str(), why,
                 FoldersListed ? "" : tried.c_str());
    FoldersListed = true;
}

void ReportUnopened(const char* name, const char* why) { Report("cannot open", name, why); }

} // namespace

std::string FindGameFile(const char* name) {
    if (!name) return {};
    if (Readable(name)) return name;
    std::string path = name;
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    struct stat status;
    if (base.empty() || stat(folder.c_str(), &status) != 0) return name;
    if (!SameListing(status)) ListFolder(folder, status);
    // The other spellings, the closest to the name asked first, then in byte order (the listing's).
    std::vector<std::pair<int, std::string>> spellings;
    for (const std::string& entry : Listed.names)
        if (int distance = CaseDistance(entry, base); distance > 0)
            spellings.emplace_back(distance, path.substr(0, path.size() - base.size()) + entry);
    std::stable_sort(spellings.begin(), spellings.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& spelling : spellings)
        if (Readable(spelling.second)) return spelling.second;
    // None can be read: the name asked for when something has it, else the closest spelling, so
    // that the report says why that one failed.
    if (lstat(name, &status) == 0 || spellings.empty()) return name;
    return spellings.front().second;
}

void ReportBadGameFile(const char* name, const char* why) { Report("cannot use", name, why); }

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
    if (in && !ok)
        ReportBadGameFile(name, size > 0 && std::size_t(size) > maxBytes ? "too large"
                                                                         : "cannot be read");
    if (name) BackendGameFileRead(name, ok ? &bytes : nullptr);
    return ok ? GameFileRead::Read : in ? GameFileRead::Unreadable : GameFileRead::Missing;
}
