// The start-up dialog and the message box: their look at each scale against a reference picture
// (SKIRMO_REBASELINE=1 rewrites them; look at tests/platform/reference/*.bmp before committing),
// the box's wrapping, the keys and mouse, and drawing that stays inside the picture whatever the
// origin or the template.
#include "platform/emulation/dialog_ui.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/emulation/fonts.h"
#include "support/game_files.h"

namespace {

struct UiDeleter {
    void operator()(DialogUi* ui) const { DialogUiDestroy(ui); }
};
using UiPtr = std::unique_ptr<DialogUi, UiDeleter>;

UiPtr Create(const DialogTemplate& t = StartupDialog, int scale = 1) {
    return UiPtr(DialogUiCreate(&t, scale));
}

// A 32-bit picture with a guard band around it, so that writes outside it are caught.
struct Picture {
    static constexpr std::uint32_t Guard = 0xDEADBEEF, Background = 0x123456;
    int width, height, pitch, guard;
    std::vector<std::uint32_t> memory;
    Picture(int w, int h, int guardBand = 8)
        : width(w), height(h), pitch(w + 2 * guardBand), guard(guardBand),
          memory(std::size_t(pitch) * std::size_t(h + 2 * guardBand), Guard) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                At(x, y) = Background;
    }
    std::uint32_t* Pixels() { return memory.data() + std::size_t(guard) * pitch + guard; }
    std::uint32_t& At(int x, int y) { return Pixels()[std::ptrdiff_t(y) * pitch + x]; }
    void Draw(const DialogUi* ui, int x = 0, int y = 0) {
        DialogUiDraw(ui, Pixels(), width, height, pitch, x, y);
    }
    bool GuardIntact() const {
        for (int y = 0; y < height + 2 * guard; ++y)
            for (int x = 0; x < pitch; ++x) {
                bool inside = y >= guard && y < guard + height && x >= guard && x < guard + width;
                if (!inside && memory[std::size_t(y) * pitch + x] != Guard) return false;
            }
        return true;
    }
    int Untouched() {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += At(x, y) == Background;
        return n;
    }
    std::string Bmp() {
        files::Bytes b = files::Bmp(width, height, [&](int x, int y) { return At(x, y); });
        return {b.begin(), b.end()};
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Draws the dialog and compares it byte for byte with its reference picture.
void ExpectLooksLike(const DialogUi* ui, const std::string& name) {
    Picture p(DialogUiWidth(ui), DialogUiHeight(ui));
    p.Draw(ui);
    ASSERT_TRUE(p.GuardIntact());
    std::string path = std::string(SKIRMO_REFERENCE_DIR) + "/" + name + ".bmp";
    std::string actual = p.Bmp();
    if (std::getenv("SKIRMO_REBASELINE")) std::ofstream(path, std::ios::binary) << actual;
    if (actual != ReadAll(path)) {
        std::ofstream(name + ".actual.bmp", std::ios::binary) << actual;
        ADD_FAILURE() << name << " differs from " << path << "; see " << name << ".actual.bmp";
    }
}

DialogAction Click(DialogUi* ui, int x, int y, int upX, int upY) {
    DialogUiMouseDown(ui, x, y);
    return DialogUiMouseUp(ui, upX, upY);
}

void Centre(DialogUi* ui, int id, int* x, int* y) {
    ASSERT_TRUE(DialogUiControlCentre(ui, id, x, y)) << id;
}

::testing::AssertionResult Is(DialogAction a, int id) {
    if (a.command && a.controlId == id) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << (a.command ? a.controlId : -1);
}

constexpr int Mode640 = 1000, Mode800 = 1001, NoSound = 1003;
constexpr const char* MusicError =
    "Failed to load midi, check the directory skirmo.exe is in, if it's not there, redownload "
    "skirmo.zip, if it is, let help@velmora.example know about this error";

TEST(DialogUi, LooksAsItsReferencePictureAtEachScale) {
    if (FindFontFile(false).empty() || FindFontFile(true).empty())
        GTEST_SKIP() << "the reference pictures are drawn with DejaVu Sans";
    // As it opens: the default button outlined and focused, nothing ticked.
    UiPtr one = Create(StartupDialog, 1);
    ASSERT_TRUE(one);
    ExpectLooksLike(one.get(), "dialog_scale1");
    // At twice the size, mid-use: the box ticked and focused, 800x600 held down.
    UiPtr two = Create(StartupDialog, 2);
    ASSERT_TRUE(two);
    for (int i = 0; i < 3; ++i)
        DialogUiKey(two.get(), DialogKeyTab);
    DialogUiKey(two.get(), DialogKeySpace);
    int x = 0, y = 0;
    Centre(two.get(), Mode800, &x, &y);
    DialogUiMouseDown(two.get(), x, y);
    ExpectLooksLike(two.get(), "dialog_scale2");
    // A message box in the same look, its text wrapped.
    UiPtr box(DialogUiCreateMessageBox("MCI music load error", MusicError, 1));
    ExpectLooksLike(box.get(), "message_box_scale1");
}

// A message box fits a 640-pixel screen, its text wrapped at spaces with every word as it was; a
// word longer than a line stands alone and widens the box, a line feed starts a new line. Enter
// and Space answer OK.
TEST(DialogUi, AMessageBoxWrapsItsTextWithoutChangingAWord) {
    if (FindFontFile(false).empty()) GTEST_SKIP() << "the text is measured with DejaVu Sans";
    // The game's own message, its words and width, is in the reference picture.
    UiPtr box(DialogUiCreateMessageBox("MCI music load error", MusicError, 1));
    EXPECT_TRUE(Is(DialogUiKey(box.get(), DialogKeyEnter), IDOK));
    EXPECT_TRUE(Is(DialogUiKey(box.get(), DialogKeySpace), IDOK));

    const std::string word(150, 'W');
    box.reset(DialogUiCreateMessageBox("", ("a " + word + " b\n\nc").c_str(), 1));
    std::string lines;
    for (const std::string& line : DialogUiTextLines(box.get(), MessageBoxTextId))
        lines += "|" + line;
    EXPECT_EQ(lines, "|a|" + word + "|b||c");
    EXPECT_GT(DialogUiWidth(box.get()), 640);
}

TEST(DialogUi, KeysMoveTheFocusAndClickAsOnTheDesktop) {
    UiPtr ui = Create();
    ASSERT_TRUE(ui);
    EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeyEnter), Mode640)) << "the default button";
    // Tab goes through the tab stops in the template's order and wraps around.
    DialogUiKey(ui.get(), DialogKeyTab);
    EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeySpace), Mode800));
    DialogUiKey(ui.get(), DialogKeyTab);
    DialogUiKey(ui.get(), DialogKeyTab);
    // On the check box Space flips it and Enter still means the default button.
    EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeySpace), NoSound));
    EXPECT_TRUE(DialogUiChecked(ui.get(), NoSound));
    EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeyEnter), Mode640));
    DialogUiKey(ui.get(), DialogKeyTab);
    EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeyEnter), Mode640)) << "wrapped to the first";
    DialogUiKey(ui.get(), DialogKeyShiftTab);
    EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeySpace), NoSound)) << "back to the box";
    EXPECT_FALSE(DialogUiChecked(ui.get(), NoSound));
    EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeyEscape), IDCANCEL));
}

TEST(DialogUi, AButtonClicksWhenPressedAndReleasedOverIt) {
    UiPtr ui = Create();
    ASSERT_TRUE(ui);
    int x640, y640, x800, y800, xBox, yBox;
    Centre(ui.get(), Mode640, &x640, &y640);
    Centre(ui.get(), Mode800, &x800, &y800);
    Centre(ui.get(), NoSound, &xBox, &yBox);
    EXPECT_TRUE(Is(Click(ui.get(), x800, y800, x800, y800), Mode800));
    EXPECT_FALSE(Click(ui.get(), x800, y800, x640, y640).command) << "released elsewhere";
    // Away and back before the release still clicks.
    DialogUiMouseDown(ui.get(), x640, y640);
    DialogUiMouseMove(ui.get(), 2, 2);
    DialogUiMouseMove(ui.get(), x640, y640);
    EXPECT_TRUE(Is(DialogUiMouseUp(ui.get(), x640, y640), Mode640));
    // The check box's text is part of it; the notices and the title picture are not clickable.
    EXPECT_TRUE(Is(Click(ui.get(), xBox + 60, yBox, xBox + 60, yBox), NoSound));
    EXPECT_TRUE(DialogUiChecked(ui.get(), NoSound));
    EXPECT_FALSE(Click(ui.get(), x640, y640 - 60, x640, y640 - 60).command);
    EXPECT_FALSE(
        Click(ui.get(), DialogUiWidth(ui.get()) / 2, 60, DialogUiWidth(ui.get()) / 2, 60).command);
    // The caption's close box is Cancel; pressed there and released on the bar is nothing.
    int w = DialogUiWidth(ui.get());
    EXPECT_FALSE(Click(ui.get(), w - 12, 10, w - 60, 10).command);
    EXPECT_TRUE(Is(Click(ui.get(), w - 12, 10, w - 12, 10), IDCANCEL));
}

TEST(DialogUi, DrawingStaysInsideThePictureFromAnyOrigin) {
    UiPtr ui = Create(StartupDialog, 2);
    ASSERT_TRUE(ui);
    // Partly inside, then wholly outside.
    const int origins[][2] = {{-100, -50},        {-300, 200},        {150, -300},  {250, 180},
                              {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {0, INT_MAX}, {300, 240}};
    for (int i = 0; i < 8; ++i) {
        Picture p(300, 240);
        p.Draw(ui.get(), origins[i][0], origins[i][1]);
        EXPECT_TRUE(p.GuardIntact()) << i;
        EXPECT_EQ(p.Untouched() == 300 * 240, i >= 4) << i;
    }
    Picture p(300, 240);
    DialogUiDraw(ui.get(), nullptr, 300, 240, 300, 0, 0);
    DialogUiDraw(ui.get(), p.Pixels(), 0, 240, p.pitch, 0, 0);
    DialogUiDraw(ui.get(), p.Pixels(), 300, 240, 299, 0, 0); // a pitch shorter than a row
    EXPECT_EQ(p.Untouched(), 300 * 240);
}

TEST(DialogUi, OddTemplatesMakeWorkingDialogs) {
    EXPECT_FALSE(Create(DialogTemplate{"", 0, 50, nullptr, 0}));
    EXPECT_FALSE(Create(StartupDialog, 0));
    EXPECT_TRUE(Create(StartupDialog, 8)) << "the largest scale, for the tallest screens";
    EXPECT_FALSE(Create(StartupDialog, 9));
    // No controls, controls far outside and without texts, a broken title picture.
    const unsigned char garbage[] = {'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4, 5, 6};
    const DialogControl controls[] = {
        {10, DlgPushButton, -2, -14, 50, 20, nullptr, true, nullptr, 0},
        {11, DlgAutoCheckBox, 97, 40, 60, 14, nullptr, true, nullptr, 0},
        {12, DlgDefPushButton, INT_MIN, INT_MAX, INT_MAX, INT_MIN, "absurd", true, nullptr, 0},
        {-1, DlgStaticBitmap, 5, 5, 0, 0, nullptr, false, garbage, sizeof garbage},
    };
    for (int count : {0, 4}) {
        UiPtr ui = Create(DialogTemplate{nullptr, 100, 50, controls, count});
        ASSERT_TRUE(ui);
        Picture p(DialogUiWidth(ui.get()), DialogUiHeight(ui.get()));
        p.Draw(ui.get());
        EXPECT_TRUE(p.GuardIntact());
        for (DialogKey k : {DialogKeyTab, DialogKeyShiftTab, DialogKeyTab, DialogKeySpace})
            DialogUiKey(ui.get(), k);
        EXPECT_TRUE(Is(DialogUiKey(ui.get(), DialogKeyEscape), IDCANCEL));
    }
}

} // namespace
