// files.cpp -- opening and reading the game's own files
//
// The platform keeps a list of the game files open right now, so that a sound buffer can be
// named by the file it is being made from: the newest file still open when it is made, or, when
// none is, the file read and closed just before (the game's loaders read a file whole and close
// it before they make its buffer). Opening another file forgets that closed one, so a name never
// lingers onto a buffer made later from something else. A FILE handed out here is a thin wrapper
// around the real one that notes its own closing.
#include "files.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "backend.h"

namespace {

std::vector<std::pair<const void*, std::string>> OpenFiles; // oldest first
std::string JustClosed; // the last file closed, until another is opened

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

} // namespace

void NoteGameFileOpen(const void* handle, const char* name) {
    OpenFiles.emplace_back(handle, name ? name : "");
    JustClosed.clear();
}

void NoteGameFileClosed(const void* handle) {
    auto at = std::find_if(OpenFiles.begin(), OpenFiles.end(),
                           [&](const auto& f) { return f.first == handle; });
    if (at == OpenFiles.end()) return;
    JustClosed = at->second;
    OpenFiles.erase(at);
}

const std::string& NewestOpenGameFile() {
    return OpenFiles.empty() ? JustClosed : OpenFiles.back().second;
}

void ForgetOpenGameFiles() {
    OpenFiles.clear();
    JustClosed.clear();
}

std::FILE* OpenGameFile(const char* name) {
    if (!name) return nullptr;
    std::FILE* real = std::fopen(name, "rb");
    if (!real) return nullptr;
    cookie_io_functions_t io{CookieRead, nullptr, CookieSeek, CookieClose};
    std::FILE* wrapped = fopencookie(real, "rb", io);
    if (!wrapped) return real; // still readable, only left out of the names
    NoteGameFileOpen(real, name);
    return wrapped;
}

GameFileRead ReadGameFile(const char* name, std::size_t maxBytes,
                          std::vector<std::uint8_t>& bytes) {
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
    return ok ? GameFileRead::Read : GameFileRead::Unreadable;
}
