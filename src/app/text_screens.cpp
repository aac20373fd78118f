// text_screens.cpp -- the full-screen text pages
//
// A page is written straight onto the visible screen and faded in from black to white by
// redrawing all its lines in a brighter grey on every pass of the clock; Space starts the fade
// out from whatever grey was reached. The pages sit at fixed pixel positions in both display
// modes, and nothing else on the screen is cleared: the next flip replaces everything. The
// level's title between levels is faded the same way.
#include "app/text_screens.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/game_clock.h"
#include "core/keyboard.h"
#include "core/program.h"
#include "core/texts.h"
#include "display/display.h"
#include "platform/api/gdi.h"

namespace {

struct PageLine {
    int X;
    int Y;
    std::string Text;
};

// Built on each showing: the credits draw on our own texts, which live in another file.
std::vector<PageLine> PageLines(TextScreen screen) {
    switch (screen) {
    case StoryScreen:
        return {
            {50, 50, "Welcome!"},
            {50, 90, "Aliens have been embedding themselves into rural communities"},
            {50, 110, "for many years now... and now their numbers are sufficient,"},
            {50, 130, "in the Alien \"conventional wisdom\" - to mount an all out invasion."},
            {50, 170, "In response, the SSAO (shaggy ship air offensive)"},
            {50, 190, "has been created."},
            {50, 230, "As only the best trained people, using technology... uh... borrowed"},
            {50, 250, "from the enemy, can possibly overtake them, laid out before"},
            {50, 270, "you now are a series of air to air combat simulations."},
            {50, 310, "These simulations will pit you against several of the"},
            {50, 330, "types of craft you will be up against when the REAL battle begins."},
        };
    case CreditsScreen:
        return {
            {50, 50, "Credits"},
            {50, 80, "Programming, Design, Vague idea man, Excellent guy:"},
            {70, 100, CreditsMakerName},
            {50, 130, "Amigos, enablers:"},
            {70, 160, CreditsFriends[0]},
            {70, 180, CreditsFriends[1]},
            {70, 200, CreditsFriends[2]},
            {70, 220, CreditsFriends[3]},
            {50, 250, "Music:"},
            {70, 280, CreditsMusicSources[0]},
            {70, 300, CreditsMusicSources[1]},
            {70, 320, CreditsMusicSources[2]},
            {70, 340, CreditsTitleMusicFriend},
            {50, 370, "Web page hosting:"},
            {70, 400, CreditsHostLine},
        };
    case KeysScreen:
        return {
            {50, 50, "Keys"},
            {70, 80, "Motion: UP ARROW (speed up), DOWN ARROW (slow down)"},
            {70, 100, "Direction: LEFT ARROW (turn left), RIGHT ARROW (turn right)"},
            {70, 130, "The SPACE BAR shoots..."},
            {70, 160, "ESC, exits the game!"},
            {70, 180, "Hitting K pulls up this screen."},
            {50, 210, "- and the point of all this would be?"},
            {70, 240, "    The idea is simple, your ship currently occupies"},
            {70, 260, "a ZONE, and when the bad guys/gals come into the zone"},
            {70, 280, "their aircraft are to be destroyed. It is preferable"},
            {70, 300, "that all enemy craft are destroyed before the music"},
            {70, 320, "stops."},
            {70, 350, "   - but by all means TAKE YOUR TIME!"},
        };
    case ThanksScreen:
        return {
            {50, 50, "Thanks for checking this out!"},
            {70, 80, "    Be sure to visit my site again soon, as this was"},
            {70, 100, "little more than a rough sketch of what Velmora may"},
            {70, 120, "become in coming months."},
            {70, 150, "    I hope you had fun playing this game, and let other"},
            {70, 170, "folks know about it. You can share this demo with your"},
            {70, 190, "friends, but your best bet would be to have them come"},
            {70, 210, "by my website and download their own copy."},
            {70, 250, std::string("    ") + ThanksWebAddress},
        };
    case CongratulationsScreen:
        return {
            {50, 50, "Congradulations - you've been the game!"},
            {70, 80, "THAT gets you... well... not much!"},
            {70, 100, CongratulationsRemark},
            {70, 130, "Oh - here's something for you, the next time you"},
            {70, 150, "play the game, type in BRASS while the actual"},
            {70, 170, "game is running. If you do it right you'll have"},
            {70, 190, "multi-missiles when you fire, and hitting F or G"},
            {70, 210, "with a ship in view could be pretty funny!"},
            {70, 240, "... and if you end up having TOO much fun"},
            {70, 260, "(you'll know what I mean) pressing J should"},
            {70, 280, "sort things out for ya... NOW - go in peace!"},
        };
    }
    return {};
}

void DrawLine(HDC dc, int x, int y, const std::string& text) {
    TextOutA(dc, x, y, text.c_str(), int(text.size()));
}

// The level's title, always 20 characters since the levels shown are 1 to 5.
std::vector<PageLine> TitleLines(int level) {
    char title[32];
    std::snprintf(title, sizeof title, "Initializing level %1d", level + 1);
    return {{ScreenWidth / 2 - 80, ScreenHeight / 2 - 5, std::string(title, 20)}};
}

// One pass of a fade: wait for the clock to move, then the whole page in grey g.
void DrawFadePass(HDC dc, const std::vector<PageLine>& lines, float g) {
    SampleFrameInterval();
    int t = int(g) & 0xFF;
    SetTextColor(dc, RGB(t, t, t));
    for (const PageLine& line : lines)
        DrawLine(dc, line.X, line.Y, line.Text);
}

// Both fades are the same passes. A text page runs both in one showing: it holds at white until
// Space is held and fades out from whatever grey Space stopped it at. The level's title fades in
// before its level is set up, stopping at white by itself with no key looked at, and out from
// white after.
enum PageFades { FadeInAndOut, FadeInOnly, FadeOutOnly };
constexpr double GreysPerSecond = 125.0;

// The page's lines faded on the visible screen, with its foot line in cyan while it shows.
void ShowPage(const std::vector<PageLine>& lines, const std::string& foot, PageFades fades) {
    HDC dc = GetSurfaceDC(PrimarySurface);
    if (!dc) return;
    SetBkColor(dc, RGB(0, 0, 0));
    float g = 255.0f;
    if (fades != FadeOutOnly) {
        SetTextColor(dc, RGB(0, 255, 255));
        DrawLine(dc, 50, 440, foot);
        // Black to white in about two seconds, a pass never counting for more than a tenth.
        // Space held already leaves after the first pass, so a held Space skips through pages.
        g = 0.0f;
        for (;;) {
            DrawFadePass(dc, lines, g);
            g = float(g + GreysPerSecond * FrameDelta);
            if (g >= 255.0f) {
                if (fades == FadeInOnly) break;
                g = 255.0f;
            }
            if (fades == FadeInAndOut && KeyHeld(VK_SPACE)) break;
        }
    }
    if (fades != FadeInOnly) {
        SetTextColor(dc, RGB(0, 0, 0));
        DrawLine(dc, 50, 440, foot);
        // The last pass is a grey too dark to tell from the background.
        do {
            DrawFadePass(dc, lines, g);
            g = float(g - GreysPerSecond * FrameDelta);
        } while (g >= 0.0f);
    }
    ReleaseSurfaceDC(PrimarySurface, dc);
}

const char* const LoadingLine = "Initializing stuff, one moment please...";

} // namespace

void ShowTextScreen(TextScreen screen) {
    // The thanks page is always the last thing before the program ends.
    ShowPage(PageLines(screen),
             screen == ThanksScreen ? "Press Space to exit..." : "Press Space to continue...",
             FadeInAndOut);
}

void LevelTitleIn(int level) { ShowPage(TitleLines(level), LoadingLine, FadeInOnly); }

void LevelTitleOut(int level) { ShowPage(TitleLines(level), LoadingLine, FadeOutOnly); }
