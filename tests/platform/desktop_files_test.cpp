// What the desktop side of the game keeps in the player's folders: the window's settings, where
// screenshots go, and the screenshot's picture.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/backend.h"
#include "platform/screenshot.h"
#include "platform/test/test_platform.h"
#include "platform/user_folders.h"
#include "platform/window_settings.h"

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

TEST(WindowSettings, ReadsWhatItWritesAndRefusesAnythingElseByLine) {
    WindowSettings s;
    s.fullscreen = false;
    s.hasSize = s.hasPlace = true;
    s.width = 1280, s.height = 960, s.x = -1700, s.y = 40;
    WindowSettings back;
    std::string error;
    ASSERT_TRUE(ParseWindowSettings(FormatWindowSettings(s), back, error)) << error;
    EXPECT_EQ(back, s);
    ASSERT_TRUE(ParseWindowSettings("\n# nothing but a comment\n", back, error));
    EXPECT_EQ(back, WindowSettings{}) << "every line may be missing";
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"mode window\nmode windowed\n", "line 2: expected 'mode window' or 'mode fullscreen'"},
        {"size 1280\n", "line 1: expected 'size WIDTH HEIGHT' (whole numbers from 1 to 100000)"},
        {"size 0 480\n", "line 1: expected 'size WIDTH HEIGHT' (whole numbers from 1 to 100000)"},
        {"size 640x480 2\n",
         "line 1: expected 'size WIDTH HEIGHT' (whole numbers from 1 to 100000)"},
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

} // namespace
