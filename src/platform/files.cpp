// files.cpp -- opening and reading the game's own files
//
// The test log names each sound buffer by the file its samples came from. Which file was opened
// last says little (the music, a picture or the map may be read in between), so the platform
// looks at the samples themselves: the newest of the last few files read whole that holds them.
// For samples found in none, the newest game file still open when the buffer was made stands in;
// a FILE handed out here is a thin wrapper around the real one that notes its own closing.
#include "files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
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

std::vector<std::pair<const void*, std::string>> OpenFiles; // oldest first

// The last few files read whole, newest last, kept only where names are wanted (the test
// platform) and only for files of a sound effect's size.
struct RecentFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
std::deque<RecentFile> Recent;
constexpr std::size_t RecentCount = 8;
constexpr std::size_t RecentLargest = std::size_t(1) << 20;

ssize_t CookieRead(void* cookie, char* buffer, size_t size) {
    std::FILE* f = static_cast<std::FILE*>(cookie);
    size_t n = std::fread(buffer, 1, size, f);
    return n == 0 && std::ferror(f) ? -1 : ssize_t(n);
}

int CookieSeek(void* cookie, off64_t* offset, int whence) {
    std::FILE* f = static_cast<std::FILE*>(cookie);
    if (fseeko(f, *offset, whence) != 0) return -1;
    *offset = ftello(f);
    return 0;
}

int CookieClose(void* cookie) {
    NoteGameFileClosed(cookie);
    return std::fclose(static_cast<std::FILE*>(cookie));
}

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

void NoteGameFileOpen(const void* handle, const char* name) {
    OpenFiles.emplace_back(handle, name ? name : "");
}

void NoteGameFileClosed(const void* handle) {
    auto at = std::find_if(OpenFiles.begin(), OpenFiles.end(),
                           [&](const auto& f) { return f.first == handle; });
    if (at != OpenFiles.end()) OpenFiles.erase(at);
}

const std::string& NewestOpenGameFile() {
    static const std::string none;
    return OpenFiles.empty() ? none : OpenFiles.back().second;
}

void ForgetOpenGameFiles() {
    OpenFiles.clear();
    Recent.clear();
}

std::string GameFileHolding(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) return {};
    for (auto f = Recent.rbegin(); f != Recent.rend(); ++f)
        if (f->bytes.size() >= size &&
            std::search(f->bytes.begin(), f->bytes.end(), data, data + size) != f->bytes.end())
            return f->name;
    return {};
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
    cookie_io_functions_t io{CookieRead, nullptr, CookieSeek, CookieClose};
    std::FILE* wrapped = fopencookie(real, "rb", io);
    if (!wrapped) return real; // still readable, only left out of the names
    NoteGameFileOpen(real, name);
    return wrapped;
}

GameFileRead ReadGameFile(const char* name, std::size_t maxBytes,
                          std::vector<std::uint8_t>& bytes) {
    if (name) BackendCall((std::string("ReadGameFile ") + name).c_str());
    std::FILE* in = OpenGameFile(name);
    if (!in) return GameFileRead::Missing;
    bool ok = std::fseek(in, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(in) : -1;
    ok = ok && size >= 0 && std::size_t(size) <= maxBytes && std::fseek(in, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(std::size_t(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    }
    std::fclose(in);
    if (ok && BackendNamesSoundBuffers() && bytes.size() <= RecentLargest) {
        Recent.push_back(RecentFile{name, bytes});
        if (Recent.size() > RecentCount) Recent.pop_front();
    }
    return ok ? GameFileRead::Read : GameFileRead::Unreadable;
}
