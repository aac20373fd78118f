// What the desktop side of the game keeps in the player's folders: the window's settings, where
// screenshots go, and the screenshot's picture.
#include <gtest/gtest.h>

#include <png.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/emulation/backend.h"
#include "platform/sdl/screenshot.h"
#include "platform/test/test_platform.h"
#include "platform/emulation/user_folders.h"
#include "platform/sdl/window_settings.h"

namespace fs = std::filesystem;

namespace {

// A home of its own with the desktop's variables unset; put back as they were afterwards.
class PlayerFolders : public ::testing::Test {
  protected:
    fs::path home;
    std::vector<std::pair<std::string, std::string>> saved;
    void SetUp() override {
        home = fs::temp_directory_path() / ("skirmo-home-" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_PICTURES_DIR"}) {
            const char* was = std::getenv(name);
            saved.push_back({name, was ? was : std::string(1, '\0')});
            ::unsetenv(name);
        }
        ::setenv("HOME", home.c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved)
            value == std::string(1, '\0') ? ::unsetenv(name.c_str())
                                          : ::setenv(name.c_str(), value.c_str(), 1);
        fs::remove_all(home);
    }
    void Write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
};

// A window too small to show anything one could play is no window the game makes.
TEST(WindowSettings, ReadsWhatItWritesAndRefusesAnythingElseByLine) {
    const char* SizeFault =
        "line 1: expected 'size WIDTH HEIGHT' (whole numbers, at least 160 by 120, at most 100000)";
    WindowSettings s;
    s.fullscreen = false;
    s.hasSize = s.hasPlace = true;
    s.width = 1280, s.height = 960, s.x = -1700, s.y = 40;
    WindowSettings back;
    std::string error;
    ASSERT_TRUE(ParseWindowSettings(FormatWindowSettings(s), back, error)) << error;
    EXPECT_EQ(back, s);
    ASSERT_TRUE(ParseWindowSettings("size 160 120\n", back, error)) << error;
    ASSERT_TRUE(ParseWindowSettings("\n# nothing but a comment\n", back, error));
    EXPECT_EQ(back, WindowSettings{}) << "every line may be missing";
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"mode window\nmode windowed\n", "line 2: expected 'mode window' or 'mode fullscreen'"},
        {"size 1280\n", SizeFault},
        {"size 1 1\n", SizeFault},
        {"size 640 119\n", SizeFault},
        {"size 159 480\n", SizeFault},
        {"size 640x480 2\n", SizeFault},
        {"place 10 99999999999\n",
         "line 1: expected 'place X Y' (whole numbers from -100000 to 100000)"},
        {"place 10 20 30\n", "line 1: more than place takes"},
        {"colour blue\n", "line 1: expected mode, size or place, found 'colour'"},
        {"\x1B]0;owned\x07\n", "line 1: expected mode, size or place, found '\\x1B]0;owned\\x07'"},
    };
    for (const Case& c : cases) {
        WindowSettings kept = s;
        EXPECT_FALSE(ParseWindowSettings(c.text, kept, error)) << c.text;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(kept, s) << "a broken file changes nothing";
    }
}

// The file lives in the desktop's settings folder; a broken one, or something that is no file, is
// set aside with a warning and the defaults stand; a save replaces it whole.
TEST_F(PlayerFolders, WindowSettingsLiveInTheSettingsFolderAndABrokenFileIsIgnored) {
    EXPECT_EQ(WindowSettingsPath(), (home / ".config/velmora/window.conf").string());
    ::setenv("XDG_CONFIG_HOME", "relative/not/allowed", 1);
    EXPECT_EQ(WindowSettingsPath(), (home / ".config/velmora/window.conf").string());
    ::setenv("XDG_CONFIG_HOME", (home / "settings").c_str(), 1);
    const fs::path file = home / "settings/velmora/window.conf";
    EXPECT_EQ(WindowSettingsPath(), file.string());
    EXPECT_EQ(LoadWindowSettings(), WindowSettings{}) << "no file yet";
    WindowSettings s;
    s.fullscreen = false;
    s.hasSize = true;
    s.width = 800, s.height = 600;
    SaveWindowSettings(s);
    EXPECT_EQ(LoadWindowSettings(), s);
    EXPECT_FALSE(fs::exists(file.string() + ".new"));
    // A file of the player's keeps its comments, its order and what did not change, and a link
    // to it stays a link.
    const fs::path mine = home / "mine.conf";
    Write(mine, "# mine\nsize 1000 700   # big\nplace 1 2\n\nmode window\nplace 3 4 # moved\n");
    fs::remove(file);
    fs::create_symlink(mine, file);
    s = LoadWindowSettings();
    s.fullscreen = true, s.x = 5, s.y = 6;
    SaveWindowSettings(s);
    EXPECT_TRUE(fs::is_symlink(file));
    std::ifstream in(mine);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "# mine\nsize 1000 700   # big\nplace 5 6\n\nmode fullscreen\nplace 5 6  # moved\n");
    s.hasSize = false;
    EXPECT_EQ(FormatWindowSettings(s, "mode fullscreen # kept\nsize 800 600\nplace  5  6\n"),
              "mode fullscreen # kept\nplace  5  6\n");
    for (const std::string& broken : {std::string("mode window\nsize 12 x\n"),
                                      std::string("mode window\n") + std::string(5000, '#')}) {
        Write(file, broken);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(LoadWindowSettings(), WindowSettings{});
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("ignoring " + file.string()),
                  std::string::npos);
    }
    fs::remove(file);
    fs::create_directory(file);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadWindowSettings(), WindowSettings{});
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("not a regular file"),
              std::string::npos);
    ::testing::internal::CaptureStderr();
    SaveWindowSettings(s); // cannot replace a folder: said once, never fatal
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot keep"), std::string::npos);
}

// Screenshots go to the pictures folder the desktop names (the variable, else user-dirs.dirs as
// the file manager writes it), or to the data home where it names none or names home itself.
TEST_F(PlayerFolders, ScreenshotsGoToThePicturesFolderOrTheDataHome) {
    EXPECT_EQ(ScreenshotFolder(), (home / ".local/share/velmora/screenshots").string());
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    EXPECT_EQ(ScreenshotFolder(), (home / "data/velmora/screenshots").string());
    Write(home / ".config/user-dirs.dirs",
          "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
          "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(ScreenshotFolder(), (home / "Bilder/velmora").string());
    Write(home / ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(ScreenshotFolder(), (home / "data/velmora/screenshots").string())
        << "home itself means no pictures folder";
    ::setenv("XDG_CONFIG_HOME", (home / "elsewhere").c_str(), 1);
    Write(home / "elsewhere/user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/shots\"\n");
    EXPECT_EQ(ScreenshotFolder(), "/srv/shots/velmora");
    ::setenv("XDG_PICTURES_DIR", (home / "Pics").c_str(), 1);
    EXPECT_EQ(ScreenshotFolder(), (home / "Pics/velmora").string()) << "the variable first";
    // A named pipe or a device in the file's place is nothing to wait on or to read.
    ::unsetenv("XDG_PICTURES_DIR");
    const fs::path dirs = home / "elsewhere/user-dirs.dirs";
    fs::remove(dirs);
    ASSERT_EQ(::mkfifo(dirs.c_str(), 0600), 0);
    auto found = std::async(std::launch::async, ScreenshotFolder);
    const bool waited = found.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    if (waited) ::close(::open(dirs.c_str(), O_RDWR)); // lets it go
    ASSERT_FALSE(waited) << "waits on a named pipe";
    EXPECT_EQ(found.get(), (home / "data/velmora/screenshots").string());
    fs::remove(dirs);
    fs::create_symlink("/dev/zero", dirs);
    EXPECT_EQ(ScreenshotFolder(), (home / "data/velmora/screenshots").string());
}

// The PNG holds the surface's own pixels at its own size, whatever the surface's row padding,
// in both pixel formats.
TEST(Screenshot, ThePngHoldsTheSurfacesPixels) {
    for (bool five55 : {false, true}) {
        TestOptions o;
        o.pixelFormat555 = five55;
        TestPlatformStart(o);
        const int w = 7, h = 3, pitch = 2 * w + 6;
        std::vector<std::uint8_t> surface(std::size_t(pitch) * h, 0xEE);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint16_t p = ColourToPixel(RGB(x * 40, y * 120, 255 - x * 30));
                std::memcpy(&surface[std::size_t(y * pitch + 2 * x)], &p, 2);
            }
        std::vector<std::uint8_t> png = EncodePng(surface.data(), w, h, pitch);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
        EXPECT_EQ(image.width, png_uint_32(w));
        EXPECT_EQ(image.height, png_uint_32(h));
        image.format = PNG_FORMAT_RGB;
        std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint16_t p;
                std::memcpy(&p, &surface[std::size_t(y * pitch + 2 * x)], 2);
                COLORREF c = PixelToColour(p);
                const std::uint8_t* got = &rgb[std::size_t((y * w + x) * 3)];
                EXPECT_EQ(RGB(got[0], got[1], got[2]), c) << x << "," << y << " 555 " << five55;
            }
    }
}

// The shot is taken at once and written on the writer's thread: after the writer is finished the
// file is there, and a second shot in the same second gets a name of its own.
TEST_F(PlayerFolders, TakenShotsAreWrittenUnderNamesOfTheirOwn) {
    ::setenv("XDG_PICTURES_DIR", (home / "Pictures").c_str(), 1);
    TestPlatformStart({});
    std::vector<std::uint8_t> pixels(640 * 480 * 2, 0x5A);
    SurfaceMemory front;
    front.width = 640, front.height = 480, front.pitch = 1280, front.pixels = pixels.data();
    ::testing::internal::CaptureStdout(); // where each went is said there
    TakeScreenshot(front);
    TakeScreenshot(front);
    FinishScreenshots();
    ::testing::internal::GetCapturedStdout();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(home / "Pictures/velmora"))
        files.push_back(entry.path().extension());
    EXPECT_EQ(files, (std::vector<fs::path>{".png", ".png"}));
}

// A writer stalled (here on a standard output nobody reads) neither piles up pictures nor holds
// the exit up for more than a moment.
TEST_F(PlayerFolders, AStalledWriterHoldsNothingUp) {
    ::setenv("XDG_PICTURES_DIR", (home / "Pictures").c_str(), 1);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    ::fcntl(out[1], F_SETFL, O_NONBLOCK);
    for (char fill[4096] = {}; ::write(out[1], fill, sizeof fill) > 0;) {
    }
    ::fcntl(out[1], F_SETFL, 0);
    std::fflush(stdout);
    const int terminal = ::dup(1);
    ::dup2(out[1], 1);
    std::vector<std::uint8_t> pixels(64 * 48 * 2);
    SurfaceMemory front;
    front.width = 64, front.height = 48, front.pitch = 128, front.pixels = pixels.data();
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 8; ++i)
        TakeScreenshot(front);
    const auto began = std::chrono::steady_clock::now();
    FinishScreenshots();
    const auto took = std::chrono::steady_clock::now() - began;
    // The writer's line goes nowhere (the game ignores SIGPIPE too), and it ends.
    std::signal(SIGPIPE, SIG_IGN);
    ::dup2(terminal, 1);
    for (int fd : {out[0], out[1], terminal})
        ::close(fd);
    std::clearerr(stdout);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_NE(said.find("no screenshot: 4 are still waiting to be written"), std::string::npos);
    EXPECT_NE(said.find("not written: their folder does not answer"), std::string::npos) << said;
}

} // namespace
