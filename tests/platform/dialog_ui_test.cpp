// dialog_ui_test.cpp -- the start-up dialog's layout, keys, mouse and drawing
//
// Runs without a display: the dialog draws into plain memory, and SDL's BMP reader and the
// font library need no video subsystem.
#include "platform/dialog_ui.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/fonts.h"

namespace {

constexpr std::uint32_t kFace = 0xC0C0C0;
constexpr std::uint32_t kLight = 0xDFDFDF;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kDarkGrey = 0x808080;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kCaptionBlue = 0x000080;
constexpr std::uint32_t kPictureTop = 0xFF0000;
constexpr std::uint32_t kPictureBottom = 0x00FF00;

// Where things land at scale 1: the frame is 3 pixels, the caption bar 18 plus a 1-pixel line,
// so the client area starts at (3, 22); 273 by 186 units are 410 by 302 pixels.
constexpr int kClientX = 3;
constexpr int kClientY = 22;

// A 240 by 120, 8-bit BMP: the upper half palette colour 1 (red), the lower half colour 2
// (green), so the tests can tell where the picture went and which way up it is.
std::vector<unsigned char> MakeTitlePicture() {
    const int w = 240, h = 120, colours = 256;
    const int offset = 14 + 40 + colours * 4;
    const int size = offset + w * h;
    std::vector<unsigned char> b(std::size_t(size), 0);
    auto put16 = [&](int at, int v) {
        b[std::size_t(at)] = (unsigned char)(v & 0xFF);
        b[std::size_t(at) + 1] = (unsigned char)((v >> 8) & 0xFF);
    };
    auto put32 = [&](int at, int v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, (v >> 16) & 0xFFFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, offset);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    put16(26, 1);
    put16(28, 8);
    put32(34, w * h);
    put32(46, colours);
    // Palette entries are blue, green, red, reserved.
    b[54 + 4 * 1 + 2] = 0xFF;
    b[54 + 4 * 2 + 1] = 0xFF;
    for (int row = 0; row < h; ++row) { // stored bottom-up
        const int y = h - 1 - row;
        std::memset(&b[std::size_t(offset + row * w)], y < h / 2 ? 1 : 2, std::size_t(w));
    }
    return b;
}

const char kNotice1[] = "Velmora is freeware: copy it and give it away as you like, but do "
                        "not sell it. All rights reserved.";
const char kNotice2[] = "Newer versions can be found on the author's home page.";
const char kNotice3[] = "This is the hi-color version. Please report any faults by e-mail.";

// The game's start-up dialog, control for control.
struct GameTemplate {
    std::vector<unsigned char> picture = MakeTitlePicture();
    std::vector<DialogControl> controls;
    DialogTemplate dialog{};

    GameTemplate() {
        controls = {
            {1000, DlgDefPushButton, 24, 165, 49, 14, "640x480", true, nullptr, 0},
            {1001, DlgPushButton, 111, 165, 49, 14, "800x600", true, nullptr, 0},
            {IDCANCEL, DlgPushButton, 198, 165, 49, 14, "Abort", true, nullptr, 0},
            {-1, DlgStaticText, 6, 86, 260, 17, kNotice1, false, nullptr, 0},
            {-1, DlgStaticText, 6, 104, 260, 18, kNotice2, false, nullptr, 0},
            {-1, DlgStaticText, 6, 124, 260, 21, kNotice3, false, nullptr, 0},
            {1003, DlgAutoCheckBox, 6, 145, 260, 14, "Check this if you don't have a sound card",
             true, nullptr, 0},
            {-1, DlgStaticBitmap, 57, 7, 0, 0, nullptr, false, picture.data(), picture.size()},
        };
        dialog = {"Velmora 0.02", 273, 186, controls.data(), int(controls.size())};
    }
};

// A picture surrounded by a guard band, so writes outside it can be caught.
struct Picture {
    static constexpr std::uint32_t kGuard = 0xDEADBEEF;
    static constexpr std::uint32_t kBackground = 0x123456;
    int width, height, pitch, guard;
    std::vector<std::uint32_t> memory;

    Picture(int w, int h, int extraPitch = 0, int guardBand = 0)
        : width(w), height(h), pitch(w + extraPitch + 2 * guardBand), guard(guardBand),
          memory(std::size_t(pitch) * std::size_t(h + 2 * guardBand), kGuard) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                At(x, y) = kBackground;
    }
    std::uint32_t* Pixels() { return memory.data() + std::size_t(guard) * pitch + guard; }
    std::uint32_t& At(int x, int y) { return Pixels()[std::ptrdiff_t(y) * pitch + x]; }
    void Draw(const DialogUi* ui, int x = 0, int y = 0) {
        DialogUiDraw(ui, Pixels(), width, height, pitch, x, y);
    }
    // Every word outside the picture proper must still hold the guard value.
    bool GuardIntact() const {
        const int rows = height + 2 * guard;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < pitch; ++x) {
                bool inside = y >= guard && y < guard + height && x >= guard && x < guard + width;
                if (!inside && memory[std::size_t(y) * pitch + x] != kGuard) return false;
            }
        return true;
    }
    int CountInRect(int x0, int y0, int w, int h, std::uint32_t colour) {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                n += At(x, y) == colour;
        return n;
    }
};

struct UiDeleter {
    void operator()(DialogUi* ui) const { DialogUiDestroy(ui); }
};
using UiPtr = std::unique_ptr<DialogUi, UiDeleter>;

UiPtr Create(const DialogTemplate& t, int scale = 1) { return UiPtr(DialogUiCreate(&t, scale)); }

void ExpectCommand(DialogAction a, int id) {
    EXPECT_TRUE(a.command);
    EXPECT_EQ(a.controlId, id);
}

void ExpectNothing(DialogAction a) { EXPECT_FALSE(a.command); }

DialogAction Click(DialogUi* ui, int downX, int downY, int upX, int upY) {
    DialogUiMouseDown(ui, downX, downY);
    return DialogUiMouseUp(ui, upX, upY);
}

DialogAction ClickControl(DialogUi* ui, int id) {
    int x = 0, y = 0;
    EXPECT_TRUE(DialogUiControlCentre(ui, id, &x, &y));
    return Click(ui, x, y, x, y);
}

bool HaveFont() { return !FindFontFile(false).empty() && !FindFontFile(true).empty(); }

// ---------------------------------------------------------------------------------------------

TEST(DialogUiLayout, SizeIncludesFrameAndCaptionAndDoublesAtScaleTwo) {
    GameTemplate t;
    UiPtr one = Create(t.dialog, 1);
    UiPtr two = Create(t.dialog, 2);
    ASSERT_TRUE(one && two);
    // 273 units * 1.5 = 409.5 -> 410 plus two 3-pixel frames; 186 * 1.625 = 302.25 -> 302
    // plus the frame, the 18-pixel caption bar and its 1-pixel line, and the bottom frame.
    EXPECT_EQ(DialogUiWidth(one.get()), 416);
    EXPECT_EQ(DialogUiHeight(one.get()), 327);
    EXPECT_EQ(DialogUiWidth(two.get()), 832);
    EXPECT_EQ(DialogUiHeight(two.get()), 654);
}

TEST(DialogUiLayout, ControlCentresFollowDialogUnits) {
    GameTemplate t;
    UiPtr one = Create(t.dialog, 1);
    UiPtr two = Create(t.dialog, 2);
    ASSERT_TRUE(one && two);
    int x = 0, y = 0;
    // "640x480": (24, 165, 49, 14) units -> (36, 268, 74, 23) pixels in the client area.
    ASSERT_TRUE(DialogUiControlCentre(one.get(), 1000, &x, &y));
    EXPECT_EQ(x, kClientX + 36 + 37);
    EXPECT_EQ(y, kClientY + 268 + 11);
    ASSERT_TRUE(DialogUiControlCentre(two.get(), 1000, &x, &y));
    EXPECT_EQ(x, 2 * kClientX + 72 + 74);
    EXPECT_EQ(y, 2 * kClientY + 536 + 23);
    // "Abort": x 198 units -> 297 pixels, the middle of its 74 pixels 37 further.
    ASSERT_TRUE(DialogUiControlCentre(one.get(), IDCANCEL, &x, &y));
    EXPECT_EQ(x, kClientX + 297 + 37);
    EXPECT_FALSE(DialogUiControlCentre(one.get(), 4711, &x, &y));
}

TEST(DialogUiLayout, UnusableTemplatesAndScalesAreRefused) {
    GameTemplate t;
    EXPECT_EQ(DialogUiCreate(nullptr, 1), nullptr);
    EXPECT_EQ(DialogUiCreate(&t.dialog, 0), nullptr);
    EXPECT_EQ(DialogUiCreate(&t.dialog, -3), nullptr);
    DialogTemplate noSize = t.dialog;
    noSize.cx = 0;
    EXPECT_EQ(DialogUiCreate(&noSize, 1), nullptr);
    DialogTemplate missingControls = t.dialog;
    missingControls.controls = nullptr;
    EXPECT_EQ(DialogUiCreate(&missingControls, 1), nullptr);
    // Harmless on null.
    DialogUiDestroy(nullptr);
    EXPECT_EQ(DialogUiWidth(nullptr), 0);
    ExpectNothing(DialogUiKey(nullptr, DialogKeyEnter));
    ExpectNothing(DialogUiMouseUp(nullptr, 1, 1));
}

// ---------------------------------------------------------------------------------------------

// Enter reveals the focus while it is on a button: it clicks the focused button.
TEST(DialogUiKeys, TabCyclesTheTabStopsInTemplateOrderAndWrapsAround) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), 1000); // focus starts on the default
    ExpectNothing(DialogUiKey(ui.get(), DialogKeyTab));
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), 1001);
    DialogUiKey(ui.get(), DialogKeyTab);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), IDCANCEL);
    DialogUiKey(ui.get(), DialogKeyTab); // the check box
    ExpectCommand(DialogUiKey(ui.get(), DialogKeySpace), 1003);
    EXPECT_TRUE(DialogUiChecked(ui.get(), 1003));
    DialogUiKey(ui.get(), DialogKeyTab); // wraps to the first button
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), 1000);
    EXPECT_TRUE(DialogUiChecked(ui.get(), 1003)); // Enter did not touch the box
}

TEST(DialogUiKeys, ShiftTabGoesBackwardsAndWrapsToTheCheckBox) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    DialogUiKey(ui.get(), DialogKeyShiftTab); // from the first button back to the check box
    ExpectCommand(DialogUiKey(ui.get(), DialogKeySpace), 1003);
    DialogUiKey(ui.get(), DialogKeyShiftTab);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), IDCANCEL);
    DialogUiKey(ui.get(), DialogKeyShiftTab);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeySpace), 1001);
}

TEST(DialogUiKeys, EnterOnTheCheckBoxClicksTheDefaultButton) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    DialogUiKey(ui.get(), DialogKeyShiftTab);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), 1000);
    EXPECT_FALSE(DialogUiChecked(ui.get(), 1003));
}

TEST(DialogUiKeys, SpaceOnTheCheckBoxFlipsItAndTwiceLeavesItUnchecked) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    EXPECT_FALSE(DialogUiChecked(ui.get(), 1003));
    DialogUiKey(ui.get(), DialogKeyShiftTab);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeySpace), 1003);
    EXPECT_TRUE(DialogUiChecked(ui.get(), 1003));
    ExpectCommand(DialogUiKey(ui.get(), DialogKeySpace), 1003);
    EXPECT_FALSE(DialogUiChecked(ui.get(), 1003));
    // Only check boxes have a check state.
    EXPECT_FALSE(DialogUiChecked(ui.get(), 1000));
}

TEST(DialogUiKeys, EscapeMeansCancelWhereverTheFocusIs) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    for (int i = 0; i < 4; ++i) {
        ExpectCommand(DialogUiKey(ui.get(), DialogKeyEscape), IDCANCEL);
        DialogUiKey(ui.get(), DialogKeyTab);
    }
    EXPECT_FALSE(DialogUiChecked(ui.get(), 1003));
}

// ---------------------------------------------------------------------------------------------

TEST(DialogUiMouse, PressAndReleaseOverTheSameButtonClicksIt) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    ExpectCommand(ClickControl(ui.get(), 1001), 1001);
    ExpectCommand(ClickControl(ui.get(), IDCANCEL), IDCANCEL);
    // A button's edge counts as the button: "640x480" spans x 39..112, y 290..312.
    ExpectCommand(Click(ui.get(), 39, 290, 112, 312), 1000);
    ExpectNothing(Click(ui.get(), 38, 290, 38, 290));
}

TEST(DialogUiMouse, ReleaseOverAnotherControlClicksNothing) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    int ax = 0, ay = 0, bx = 0, by = 0;
    ASSERT_TRUE(DialogUiControlCentre(ui.get(), 1000, &ax, &ay));
    ASSERT_TRUE(DialogUiControlCentre(ui.get(), 1001, &bx, &by));
    ExpectNothing(Click(ui.get(), ax, ay, bx, by));
    ExpectNothing(Click(ui.get(), bx, by, ax, ay));
    // Released over empty dialog space, or pressed outside and released on a button.
    ExpectNothing(Click(ui.get(), ax, ay, 200, 60));
    ExpectNothing(Click(ui.get(), 200, 60, ax, ay));
    // A release without a press, and a second release after a click, do nothing.
    ExpectNothing(DialogUiMouseUp(ui.get(), ax, ay));
    ExpectCommand(Click(ui.get(), ax, ay, ax, ay), 1000);
    ExpectNothing(DialogUiMouseUp(ui.get(), ax, ay));
}

TEST(DialogUiMouse, LeavingAndComingBackBeforeReleaseStillClicks) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    int x = 0, y = 0;
    ASSERT_TRUE(DialogUiControlCentre(ui.get(), 1001, &x, &y));
    DialogUiMouseDown(ui.get(), x, y);
    DialogUiMouseMove(ui.get(), 5, 5);
    DialogUiMouseMove(ui.get(), x + 3, y - 2);
    ExpectCommand(DialogUiMouseUp(ui.get(), x + 3, y - 2), 1001);
}

TEST(DialogUiMouse, ClickingMovesTheFocusToTheControl) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    int x = 0, y = 0;
    ASSERT_TRUE(DialogUiControlCentre(ui.get(), 1001, &x, &y));
    // Even an abandoned press moves the focus, as it does in the classic dialogs.
    ExpectNothing(Click(ui.get(), x, y, 0, 0));
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), 1001);
    ClickControl(ui.get(), 1003);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeySpace), 1003);
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), 1000);
}

TEST(DialogUiMouse, ClickOnTheCheckBoxOrItsTextFlipsIt) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    // The check box: (6, 145, 260, 14) units -> x 9..398, y 258..280 in the client area.
    const int boxX = kClientX + 9 + 6, textX = kClientX + 9 + 120, y = kClientY + 236 + 11;
    ExpectCommand(Click(ui.get(), boxX, y, boxX, y), 1003);
    EXPECT_TRUE(DialogUiChecked(ui.get(), 1003));
    ExpectCommand(Click(ui.get(), textX, y, textX + 50, y), 1003);
    EXPECT_FALSE(DialogUiChecked(ui.get(), 1003));
    // Pressed on the box but released over the notice above it: no change.
    ExpectNothing(Click(ui.get(), textX, y, textX, y - 20));
    EXPECT_FALSE(DialogUiChecked(ui.get(), 1003));
}

TEST(DialogUiMouse, StaticTextAndPictureIgnoreClicks) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    const int noticeY = kClientY + 140 + 5, pictureY = kClientY + 11 + 60;
    ExpectNothing(Click(ui.get(), 100, noticeY, 100, noticeY));
    ExpectNothing(Click(ui.get(), 200, pictureY, 200, pictureY));
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEnter), 1000); // focus stayed put
}

TEST(DialogUiMouse, CloseBoxMeansCancel) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    // The close box: 16 by 14 pixels, 2 pixels in from the caption bar's right and top.
    const int right = DialogUiWidth(ui.get()) - 3 - 2 - 1, top = 3 + 2;
    ExpectCommand(Click(ui.get(), right - 8, top + 7, right - 8, top + 7), IDCANCEL);
    ExpectCommand(Click(ui.get(), right, top, right - 15, top + 13), IDCANCEL);
    // Pressed on the close box, released on the caption bar: nothing.
    ExpectNothing(Click(ui.get(), right - 8, top + 7, 100, top + 7));
    // The caption bar itself is not a button.
    ExpectNothing(Click(ui.get(), 100, 10, 100, 10));
}

// ---------------------------------------------------------------------------------------------

bool RingIs(Picture& p, int x, int y, int w, int h, std::uint32_t colour) {
    for (int i = 0; i < w; ++i)
        if (p.At(x + i, y) != colour || p.At(x + i, y + h - 1) != colour) return false;
    for (int j = 0; j < h; ++j)
        if (p.At(x, y + j) != colour || p.At(x + w - 1, y + j) != colour) return false;
    return true;
}

TEST(DialogUiDrawing, DefaultButtonHasTheBlackOutline) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    Picture p(416, 327);
    p.Draw(ui.get());
    // "640x480" covers (39, 290) to (112, 312): a black ring, then the white raised edge.
    EXPECT_TRUE(RingIs(p, 39, 290, 74, 23, kBlack));
    EXPECT_EQ(p.At(40, 291), kWhite);
    EXPECT_EQ(p.At(111, 311), kBlack); // bottom-right edge of the bevel inside the ring
    EXPECT_EQ(p.At(110, 310), kDarkGrey);
    // "800x600" at x 170 is not the default: its outermost pixels are the raised edge.
    EXPECT_EQ(p.At(170, 290), kWhite);
    EXPECT_EQ(p.At(171, 291), kLight);
    EXPECT_EQ(p.At(170 + 73, 290 + 22), kBlack);
    EXPECT_FALSE(RingIs(p, 170, 290, 74, 23, kBlack));
}

TEST(DialogUiDrawing, FocusedButtonTakesTheOutlineUntilTheFocusLeavesTheButtons) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    DialogUiKey(ui.get(), DialogKeyTab);
    Picture p(416, 327);
    p.Draw(ui.get());
    EXPECT_TRUE(RingIs(p, 170, 290, 74, 23, kBlack));
    EXPECT_EQ(p.At(39, 290), kWhite);
    DialogUiKey(ui.get(), DialogKeyTab);
    DialogUiKey(ui.get(), DialogKeyTab); // on the check box: the default is outlined again
    p.Draw(ui.get());
    EXPECT_TRUE(RingIs(p, 39, 290, 74, 23, kBlack));
    EXPECT_EQ(p.At(170, 290), kWhite);
}

TEST(DialogUiDrawing, ScaleTwoDoublesTheOutline) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog, 2);
    ASSERT_TRUE(ui);
    Picture p(832, 654);
    p.Draw(ui.get());
    EXPECT_TRUE(RingIs(p, 78, 580, 148, 46, kBlack));
    EXPECT_TRUE(RingIs(p, 79, 581, 146, 44, kBlack));
    EXPECT_EQ(p.At(80, 582), kWhite);
    EXPECT_EQ(p.At(81, 583), kWhite);
    EXPECT_EQ(p.At(82, 584), kLight);
}

TEST(DialogUiDrawing, HeldButtonIsSunkenOnlyWhileThePointerIsOverIt) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    int x = 0, y = 0;
    ASSERT_TRUE(DialogUiControlCentre(ui.get(), 1001, &x, &y));
    Picture p(416, 327);
    DialogUiMouseDown(ui.get(), x, y);
    p.Draw(ui.get());
    // Focused by the press, so outlined; inside the ring a flat dark grey frame.
    EXPECT_TRUE(RingIs(p, 170, 290, 74, 23, kBlack));
    EXPECT_TRUE(RingIs(p, 171, 291, 72, 21, kDarkGrey));
    DialogUiMouseMove(ui.get(), x, 100);
    p.Draw(ui.get());
    EXPECT_EQ(p.At(171, 291), kWhite); // popped out again
    DialogUiMouseMove(ui.get(), x, y);
    p.Draw(ui.get());
    EXPECT_EQ(p.At(171, 291), kDarkGrey);
    DialogUiMouseUp(ui.get(), x, y);
    p.Draw(ui.get());
    EXPECT_EQ(p.At(171, 291), kWhite);
}

TEST(DialogUiDrawing, FrameCaptionAndClientColours) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    Picture p(416, 327);
    p.Draw(ui.get());
    EXPECT_EQ(p.At(0, 100), kLight);
    EXPECT_EQ(p.At(1, 100), kWhite);
    EXPECT_EQ(p.At(2, 100), kFace);
    EXPECT_EQ(p.At(415, 100), kBlack);
    EXPECT_EQ(p.At(414, 100), kDarkGrey);
    EXPECT_EQ(p.At(200, 326), kBlack);
    EXPECT_EQ(p.At(200, 3), kCaptionBlue);
    EXPECT_EQ(p.At(200, 20), kCaptionBlue);
    EXPECT_EQ(p.At(200, 21), kFace); // the line under the caption bar
    EXPECT_EQ(p.At(30, 40), kFace);  // client area beside the picture
    // The close box is a raised grey button with a black cross in its middle.
    const int closeX = 416 - 3 - 2 - 16, closeY = 5;
    EXPECT_EQ(p.At(closeX, closeY), kWhite);
    EXPECT_EQ(p.At(closeX + 15, closeY + 13), kBlack);
    EXPECT_GT(p.CountInRect(closeX + 2, closeY + 2, 12, 10, kBlack), 10);
    // Nothing in the dialog is left as the background the picture had.
    EXPECT_EQ(p.CountInRect(0, 0, 416, 327, Picture::kBackground), 0);
}

TEST(DialogUiDrawing, TitlePictureSitsAtItsPositionTheRightWayUp) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    Picture p(416, 327);
    p.Draw(ui.get());
    // (57, 7) units -> (86, 11) pixels in the client area.
    const int x = kClientX + 86, y = kClientY + 11;
    EXPECT_EQ(p.CountInRect(x, y, 240, 60, kPictureTop), 240 * 60);
    EXPECT_EQ(p.CountInRect(x, y + 60, 240, 60, kPictureBottom), 240 * 60);
    EXPECT_EQ(p.At(x - 1, y), kFace);
    EXPECT_EQ(p.At(x + 240, y), kFace);
    EXPECT_EQ(p.At(x, y + 120), kFace);

    UiPtr big = Create(t.dialog, 2);
    ASSERT_TRUE(big);
    Picture q(832, 654);
    q.Draw(big.get());
    EXPECT_EQ(q.CountInRect(2 * x, 2 * y, 480, 120, kPictureTop), 480 * 120);
    EXPECT_EQ(q.CountInRect(2 * x, 2 * y + 120, 480, 120, kPictureBottom), 480 * 120);
}

TEST(DialogUiDrawing, CheckMarkAppearsOnlyWhenChecked) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    // The 13-pixel box is centred on the 23-pixel control: x 12, y 22 + 236 + 5.
    const int bx = kClientX + 9, by = kClientY + 236 + 5;
    Picture p(416, 327);
    p.Draw(ui.get());
    EXPECT_EQ(p.At(bx, by), kDarkGrey);
    EXPECT_EQ(p.At(bx + 1, by + 1), kBlack);
    EXPECT_EQ(p.At(bx + 12, by + 12), kWhite);
    EXPECT_EQ(p.CountInRect(bx + 2, by + 2, 9, 9, kWhite), 81);
    DialogUiKey(ui.get(), DialogKeyShiftTab);
    DialogUiKey(ui.get(), DialogKeySpace);
    p.Draw(ui.get());
    const int marked = p.CountInRect(bx + 2, by + 2, 9, 9, kBlack);
    EXPECT_GT(marked, 10);
    EXPECT_EQ(marked + p.CountInRect(bx + 2, by + 2, 9, 9, kWhite), 81);
    // While the mouse holds it, the box's inside turns grey; off the box it is white again.
    DialogUiMouseDown(ui.get(), bx + 6, by + 6);
    p.Draw(ui.get());
    EXPECT_EQ(p.CountInRect(bx + 2, by + 2, 9, 9, kFace), 81 - marked);
    DialogUiMouseMove(ui.get(), bx + 6, by - 30);
    p.Draw(ui.get());
    EXPECT_EQ(p.CountInRect(bx + 2, by + 2, 9, 9, kWhite), 81 - marked);
    ExpectNothing(DialogUiMouseUp(ui.get(), bx + 6, by - 30));
    EXPECT_TRUE(DialogUiChecked(ui.get(), 1003));
}

TEST(DialogUiDrawing, TextIsDrawnWhenTheFontIsThere) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    Picture p(416, 327);
    p.Draw(ui.get());
    const int captionText = p.CountInRect(3, 3, 200, 18, kWhite);
    const int buttonText = p.CountInRect(39 + 4, 290 + 4, 74 - 8, 23 - 8, kBlack);
    const int noticeText = p.CountInRect(kClientX + 9, kClientY + 140, 390, 28, kBlack);
    if (!HaveFont()) {
        // Without DejaVu Sans everything but the text is drawn.
        EXPECT_EQ(captionText, 0);
        EXPECT_EQ(noticeText, 0);
        GTEST_SKIP() << "DejaVu Sans is not installed";
    }
    EXPECT_GT(captionText, 30);
    // The focus rectangle alone is about 60 dots; the label adds many more.
    EXPECT_GT(buttonText, 100);
    EXPECT_GT(noticeText, 200);
    // Static text wraps: the first notice is too long for one line and fills a second one.
    EXPECT_GT(p.CountInRect(kClientX + 9, kClientY + 140 + 14, 390, 13, kBlack), 20);
}

// ---------------------------------------------------------------------------------------------

TEST(DialogUiClipping, OriginPartlyOffThePictureWritesOnlyInsideIt) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog);
    ASSERT_TRUE(ui);
    const int origins[][2] = {{-100, -50}, {-300, 200}, {150, -300}, {250, 180}, {-415, -326}};
    for (const auto& o : origins) {
        Picture p(300, 240, 7, 16);
        p.Draw(ui.get(), o[0], o[1]);
        EXPECT_TRUE(p.GuardIntact()) << o[0] << "," << o[1];
        EXPECT_LT(p.CountInRect(0, 0, 300, 240, Picture::kBackground), 300 * 240)
            << "nothing drawn at " << o[0] << "," << o[1];
    }
    // Seen through a window: the default button's ring lands where it belongs.
    Picture p(300, 240, 0, 16);
    p.Draw(ui.get(), -20, -200);
    EXPECT_TRUE(p.GuardIntact());
    EXPECT_TRUE(RingIs(p, 19, 90, 74, 23, kBlack));
}

TEST(DialogUiClipping, OriginsFarAwayAndBadPicturesDrawNothing) {
    GameTemplate t;
    UiPtr ui = Create(t.dialog, 2);
    ASSERT_TRUE(ui);
    const int origins[][2] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, 0},
                              {0, INT_MAX},       {-832, 0},          {300, 240}};
    for (const auto& o : origins) {
        Picture p(300, 240, 0, 8);
        p.Draw(ui.get(), o[0], o[1]);
        EXPECT_TRUE(p.GuardIntact());
        EXPECT_EQ(p.CountInRect(0, 0, 300, 240, Picture::kBackground), 300 * 240);
    }
    Picture p(300, 240, 0, 8);
    DialogUiDraw(ui.get(), nullptr, 300, 240, 300, 0, 0);
    DialogUiDraw(ui.get(), p.Pixels(), 0, 240, p.pitch, 0, 0);
    DialogUiDraw(ui.get(), p.Pixels(), 300, -5, p.pitch, 0, 0);
    DialogUiDraw(ui.get(), p.Pixels(), 300, 240, 299, 0, 0); // pitch shorter than a row
    EXPECT_TRUE(p.GuardIntact());
    EXPECT_EQ(p.CountInRect(0, 0, 300, 240, Picture::kBackground), 300 * 240);
}

// ---------------------------------------------------------------------------------------------

TEST(DialogUiOddTemplates, ZeroControlsStillMakeAWorkingDialog) {
    DialogTemplate empty = {"Empty", 100, 50, nullptr, 0};
    UiPtr ui = Create(empty);
    ASSERT_TRUE(ui);
    EXPECT_EQ(DialogUiWidth(ui.get()), 156);
    EXPECT_EQ(DialogUiHeight(ui.get()), 22 + 81 + 3);
    for (DialogKey k : {DialogKeyTab, DialogKeyShiftTab, DialogKeySpace, DialogKeyEnter})
        ExpectNothing(DialogUiKey(ui.get(), k));
    ExpectCommand(DialogUiKey(ui.get(), DialogKeyEscape), IDCANCEL);
    ExpectNothing(Click(ui.get(), 50, 50, 50, 50));
    ExpectCommand(Click(ui.get(), 156 - 12, 10, 156 - 12, 10), IDCANCEL);
    int x = 0, y = 0;
    EXPECT_FALSE(DialogUiControlCentre(ui.get(), 1000, &x, &y));
    Picture p(156, 106, 0, 8);
    p.Draw(ui.get());
    EXPECT_TRUE(p.GuardIntact());
    EXPECT_EQ(p.CountInRect(3, 22, 150, 81, kFace), 150 * 81);
}

TEST(DialogUiOddTemplates, NullTextsAndControlsOutsideTheClientAreaAreClipped) {
    const DialogControl controls[] = {
        // Straddles the client area's top-left corner: its edges must not paint the frame.
        {10, DlgPushButton, -2, -14, 50, 20, nullptr, true, nullptr, 0},
        // Its box straddles the client area's right edge.
        {11, DlgAutoCheckBox, 97, 40, 60, 14, nullptr, true, nullptr, 0},
        {-1, DlgStaticText, 5, 5, 40, 10, nullptr, false, nullptr, 0},
        {12, DlgPushButton, 5000, -9000, 100, 100, "far away", true, nullptr, 0},
        {13, DlgDefPushButton, INT_MIN, INT_MAX, INT_MAX, INT_MIN, "absurd", true, nullptr, 0},
    };
    DialogTemplate t = {nullptr, 100, 50, controls, 5};
    UiPtr ui = Create(t);
    ASSERT_TRUE(ui);
    Picture p(156, 106, 0, 8);
    p.Draw(ui.get());
    EXPECT_TRUE(p.GuardIntact());
    for (int y = 0; y < 105; ++y)
        ASSERT_EQ(p.At(0, y), kLight) << y;
    for (int y = 1; y < 104; ++y)
        ASSERT_EQ(p.At(1, y), kWhite) << y;
    for (int x = 0; x < 155; ++x)
        ASSERT_EQ(p.At(x, 0), kLight) << x;
    // The box spans dialog x 149..161; its white inside shows up to the client's last column
    // (152) and stops there: the frame keeps its face line and dark grey edge.
    EXPECT_EQ(p.At(152, 97), kWhite);
    EXPECT_EQ(p.At(153, 97), kFace);
    EXPECT_EQ(p.At(154, 97), kDarkGrey);
    // Controls outside the client area cannot be clicked through the frame or the caption.
    ExpectNothing(Click(ui.get(), 1, 1, 1, 1));
    // The one inside still works, and Tab still visits every tab stop without trouble.
    ExpectCommand(Click(ui.get(), 151, 97, 151, 97), 11);
    EXPECT_TRUE(DialogUiChecked(ui.get(), 11));
    for (int i = 0; i < 10; ++i)
        DialogUiKey(ui.get(), DialogKeyTab);
}

TEST(DialogUiOddTemplates, CorruptOrMissingPictureIsLeftOut) {
    const unsigned char garbage[] = {'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4, 5, 6};
    std::vector<unsigned char> truncated = MakeTitlePicture();
    truncated.resize(200);
    GameTemplate t;
    for (auto [bytes, size] : {std::pair<const unsigned char*, std::size_t>{garbage, 12},
                               {truncated.data(), truncated.size()},
                               {nullptr, 0},
                               {nullptr, 5000}}) {
        t.controls.back().bitmap = bytes;
        t.controls.back().bitmapSize = size;
        UiPtr ui = Create(t.dialog);
        ASSERT_TRUE(ui);
        Picture p(416, 327, 0, 4);
        p.Draw(ui.get());
        EXPECT_TRUE(p.GuardIntact());
        // Where the picture would be, only the client area's grey.
        EXPECT_EQ(p.CountInRect(kClientX + 86, kClientY + 11, 240, 120, kFace), 240 * 120);
        // The rest of the dialog is unaffected.
        EXPECT_TRUE(RingIs(p, 39, 290, 74, 23, kBlack));
        ExpectCommand(ClickControl(ui.get(), 1001), 1001);
    }
}

} // namespace
