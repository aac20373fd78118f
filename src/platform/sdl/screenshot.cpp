// screenshot.cpp -- F12: the game's picture taken, and made a PNG file
#include "screenshot.h"

#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <utility>

#include "platform/emulation/backend.h"
#include "platform/emulation/user_folders.h"

namespace {

std::atomic<bool> ShotAsked{false}; // F12 went down since the last poll

// velmora-2024-05-01-181502.png, or -2, -3, ... after it when that name is taken (several
// shots in one second). Opened only if it does not exist yet, so no file is ever overwritten.
std::FILE* NewFile(const std::string& folder, std::time_t taken, std::string& path) {
    std::tm local{};
    localtime_r(&taken, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    for (int n = 1; n < 1000; ++n) {
        path = folder + "/velmora-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".png";
        if (std::FILE* f = std::fopen(path.c_str(), "wbx")) return f;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

} // namespace

std::string WriteShot(const Shot& shot) {
    const std::string folder = ScreenshotFolder();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    std::string path = folder + "/";
    std::FILE* f = folder.empty() || ec ? nullptr : NewFile(folder, shot.taken, path);
    if (!f) {
        std::fprintf(stderr, "skirmo: cannot save the screenshot in %s: %s\n",
                     folder.empty() ? "(no home folder)" : folder.c_str(),
                     ec ? ec.message().c_str() : std::strerror(errno));
        return "";
    }
    std::vector<std::uint8_t> png =
        EncodePng(reinterpret_cast<const std::uint8_t*>(shot.pixels.data()), shot.width,
                  shot.height, shot.width * 2);
    bool ok = !png.empty() && std::fwrite(png.data(), 1, png.size(), f) == png.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "skirmo: cannot write the screenshot %s\n", path.c_str());
        std::remove(path.c_str());
        return "";
    }
    std::printf("skirmo: screenshot saved to %s\n", path.c_str());
    std::fflush(stdout);
    return path;
}

std::string ScreenshotFolder() {
    std::string pictures = PicturesFolder();
    if (!pictures.empty()) return pictures + "/velmora";
    std::string data = XdgHome("XDG_DATA_HOME", ".local/share");
    return data.empty() ? "" : data + "/velmora/screenshots";
}

std::vector<std::uint8_t> EncodePng(const std::uint8_t* pixels, int width, int height, int pitch) {
    // Every row unfiltered: the game's tiles and sprites repeat whole runs of bytes, which the
    // compressor finds better unfiltered than after any of the format's filters, and sooner.
    const std::size_t rowBytes = std::size_t(width) * 3 + 1;
    std::vector<std::uint8_t> raw(rowBytes * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + std::size_t(y) * std::size_t(pitch);
        std::uint8_t* out = raw.data() + std::size_t(y) * rowBytes;
        *out++ = 0; // filter: none
        for (int x = 0; x < width; ++x) {
            std::uint16_t p;
            std::memcpy(&p, row + 2 * x, 2);
            COLORREF c = PixelToColour(p);
            *out++ = std::uint8_t(GetRValue(c));
            *out++ = std::uint8_t(GetGValue(c));
            *out++ = std::uint8_t(GetBValue(c));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return {};
    packed.resize(packedSize);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto put32 = [](std::vector<std::uint8_t>& to, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            to.push_back(std::uint8_t(v >> shift));
    };
    auto chunk = [&](const char* type, const std::vector<std::uint8_t>& data) {
        put32(png, std::uint32_t(data.size()));
        const std::size_t from = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        put32(png, std::uint32_t(crc32(0, png.data() + from, uInt(png.size() - from))));
    };
    std::vector<std::uint8_t> header;
    put32(header, std::uint32_t(width));
    put32(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, plain
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return png;
}

bool IsScreenshotKey(const SDL_Keysym& key) {
    return key.sym == SDLK_F12 && !(key.mod & (KMOD_ALT | KMOD_CTRL | KMOD_GUI));
}

void AskForScreenshot() { ShotAsked = true; }

void TakeAskedScreenshot(const SurfaceMemory* front) {
    if (!ShotAsked.exchange(false)) return;
    if (front)
        TakeScreenshot(*front);
    else
        std::fprintf(stderr, "skirmo: no screenshot: the game shows no picture yet\n");
}

void TakeScreenshot(const SurfaceMemory& surface) {
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0) return;
    Shot shot;
    shot.width = surface.width;
    shot.height = surface.height;
    shot.taken = std::time(nullptr);
    shot.pixels.resize(std::size_t(shot.width) * std::size_t(shot.height));
    for (int y = 0; y < shot.height; ++y)
        std::memcpy(shot.pixels.data() + std::size_t(y) * std::size_t(shot.width),
                    surface.pixels + std::size_t(y) * std::size_t(surface.pitch),
                    std::size_t(shot.width) * 2);
    KeepShot(std::move(shot));
}
