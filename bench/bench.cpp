// bench.cpp -- skirmo-bench: how close the game's drawing comes to the machine's limit
//
// Everything is measured in one run, side by side, because the machines we run on are shared and
// noisy: only the ratios mean much. For each picture size:
//   1. ComposeFrame plus DrawLives of a busy frame, next to the floor of writing one frame's bytes
//      (a memcpy of every row from a tile-sized source);
//   2. the rotated-sprite rasterizer against SDL2_gfx's rotozoomSurface with a colour-keyed blit,
//      and against SDL's software renderer's SDL_RenderCopyEx, on the same sprite and headings;
//   3. DrawLandscape against SDL_BlitSurface of the same tiles onto the same memory.
// Then one whole FrameStep of a played game on the test platform, in CPU time, as a share of a
// 60 Hz frame, and what a screenshot costs the game's thread. The last line sums it up for
// scripts.
//
// The benchmark may use SDL directly; the game it measures never does.
#include <SDL2/SDL.h>
#include <SDL2/SDL2_rotozoom.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/game_clock.h"
#include "core/game_globals.h"
#include "core/random.h"
#include "app/startup.h"
#include "combat/craft.h"
#include "combat/debris.h"
#include "combat/shots.h"
#include "display/bitmaps.h"
#include "display/display.h"
#include "display/pixels.h"
#include "display/rasterizer.h"
#include "display/wipes.h"
#include "platform/emulation/backend.h"
#include "platform/sdl/screenshot.h"
#include "platform/test/test_platform.h"
#include "platform/api/window.h"
#include "world/clouds.h"
#include "world/compose_frame.h"
#include "core/headings.h"
#include "world/landscape.h"
#include "core/program.h"

namespace {

using Clock = std::chrono::steady_clock;

// One thing to time: prepare runs untimed before each timing of fn; median is the result.
struct Contender {
    std::function<void()> fn;
    std::function<void()> prepare;
    double* median;
};

// Times every contender `rounds` times `burst` runs, taking turns: a burst of each, then the
// next round. Taking turns matters on a shared machine: someone else's work then slows every
// contender alike instead of whichever ran during it, so the ratios hold even when the absolute
// figures wander. Each burst starts with one untimed run, so every contender is timed warm, as
// it would be when measured alone.
void Race(int rounds, int burst, const std::vector<Contender>& contenders) {
    std::vector<std::vector<double>> times(contenders.size());
    for (int i = 0; i < rounds; ++i)
        for (std::size_t c = 0; c < contenders.size(); ++c)
            for (int k = -1; k < burst; ++k) {
                if (contenders[c].prepare) contenders[c].prepare();
                auto start = Clock::now();
                contenders[c].fn();
                double t = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
                if (k >= 0) times[c].push_back(t);
            }
    const std::size_t runs = std::size_t(rounds * burst);
    for (std::size_t c = 0; c < contenders.size(); ++c) {
        std::vector<double>& t = times[c];
        std::nth_element(t.begin(), t.begin() + std::ptrdiff_t(runs / 2), t.end());
        *contenders[c].median = t[runs / 2];
    }
}

double ThreadCpuMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

// A display of the given size with every picture loaded, as loading leaves it.
void LoadEverything(int width, int height) {
    ResetGameGlobals();
    TestPlatformStart(TestOptions{});
    ScreenWidth = width;
    ScreenHeight = height;
    HalfScreenWidth = width / 2;
    HalfScreenHeight = height / 2;
    MainWindow = TestOpenWindow(width, height);
    if (!InitDisplay()) {
        std::fprintf(stderr, "bench: no display\n");
        std::exit(1);
    }
    GameSrand(1);
    AnalysePixelFormat(PrimarySurface, &PixelFormatInfo);
    ClearCraft();
    LoadFlashMask();
    LoadWorldMap("world.dat");
    BuildHeadingTables();
    LoadSurfaceBitmaps();
    SeedClouds();
    LoadSpriteImages();
    CurrentLevel = 4;
    SetUpCraftForLevel();
    AssignCraftImages(CurrentLevel);
    InitShotList();
    FrameDelta = 1.0f / 60.0f;
    FrameRate = 60.0f;
}

// The busy frame: the player mid-world, five enemies around it (two exploding with their debris
// spread), ten clouds and 50 shots in view, none of them close enough to hit anything.
struct BusyScene {
    Craft enemies[EnemySlots];
    std::vector<Shot> shots;
};

BusyScene MakeBusyScene() {
    PlayerCraft.PosX = 1024.0f;
    PlayerCraft.PosY = 1024.0f;
    PlayerCraft.Heading = 100.0f;
    RotateCraftCorners(PlayerCraft, 100);
    ApplyViewRule();
    const float spots[EnemySlots][2] = {
        {-200, -120}, {180, -150}, {-150, 140}, {210, 120}, {0, -190}};
    for (int i = 0; i < EnemySlots; ++i) {
        Craft& e = EnemyCraft[i];
        e.PosX = PlayerCraft.PosX + spots[i][0];
        e.PosY = PlayerCraft.PosY + spots[i][1];
        e.Heading = float(i * 377 % HeadingSteps);
        RotateCraftCorners(e, int(e.Heading));
        if (i == 1 || i == 3) {
            e.State = CraftDestroyed;
            e.Frame = FrameDestroyed;
            e.Countdown = 1000;
            FrameDelta = 0.1f;
            for (int k = 0; k < 4; ++k)
                MoveDebris(e);
            FrameDelta = 1.0f / 60.0f;
        }
    }
    float left = float(ViewRight - ScreenWidth), top = float(ViewBottom - ScreenHeight);
    for (int i = 0; i < CloudCount; ++i) {
        Clouds[i].X = left + float(i * 61 % (ScreenWidth - 64));
        Clouds[i].Y = top + float(i * 97 % (ScreenHeight - 64));
    }
    for (int i = 0; i < 50; ++i) {
        float x = left + 20.0f + float(i % 10) * float(ScreenWidth - 40) / 10.0f;
        float y = top + 30.0f + float(i / 10) * 8.0f; // a band near the top, away from the craft
        SpawnShot(i % 2, x, y, float(i * 38));
    }
    // Where ComposeFrame puts them, so that drawing the craft alone draws them where it would.
    auto placeOnScreen = [](Craft& c) {
        c.ScreenX = TruncateCoordinate(c.PosX) - (ViewRight - ScreenWidth);
        c.ScreenY = TruncateCoordinate(c.PosY) - (ViewBottom - ScreenHeight);
    };
    placeOnScreen(PlayerCraft);
    for (Craft& e : EnemyCraft)
        placeOnScreen(e);
    BusyScene scene;
    std::memcpy(scene.enemies, EnemyCraft, sizeof EnemyCraft);
    for (const Shot* s = ShotList.First; s; s = s->Next)
        scene.shots.push_back(*s);
    return scene;
}

// Puts the moving parts back, so every timed frame draws the same busy picture.
void RestoreBusyScene(const BusyScene& scene) {
    std::memcpy(EnemyCraft, scene.enemies, sizeof EnemyCraft);
    std::size_t i = 0;
    for (Shot* s = ShotList.First; s && i < scene.shots.size(); s = s->Next, ++i) {
        Shot* next = s->Next;
        *s = scene.shots[i];
        s->Next = next;
    }
}

struct SizeFigures {
    double compose, floor, sprite, rotozoom, renderCopyEx, landscape, blitSurface;
    // Where the busy frame's time goes: its ground, its clouds, its six craft.
    double partGround, partClouds, partCraft;
};

SDL_Surface* WrapSurfaceMemory(IDirectDrawSurface* surface) {
    LockWholeSurface(surface);
    LockedFrame f = FrameBuffer;
    UnlockWholeSurface(surface); // the memory stays where it is: surfaces are plain memory
    return SDL_CreateRGBSurfaceWithFormatFrom(f.Base, f.Width, f.Height, 16, f.Pitch,
                                              SDL_PIXELFORMAT_RGB565);
}

SizeFigures MeasureSize(int width, int height) {
    LoadEverything(width, height);
    SizeFigures r{};
    BusyScene scene = MakeBusyScene();
    auto restore = [&] { RestoreBusyScene(scene); };

    std::vector<std::uint16_t> tile(32 * 32, 0x1234);
    LockWholeSurface(BackBuffer);
    LockedFrame frame = FrameBuffer;
    UnlockWholeSurface(BackBuffer);

    // The sprite at 64 headings, centred, as the rasterizer draws a craft.
    Craft craft = scene.enemies[0];
    craft.State = CraftAttacking;
    craft.Frame = FrameNormal;

    SDL_Surface* target = WrapSurfaceMemory(BackBuffer);
    SDL_Surface* sprite =
        SDL_CreateRGBSurfaceWithFormatFrom(SpriteImageStore.ThirdEnemyImages[0].Pixels, SpriteSize,
                                           SpriteSize, 16, SpriteSize * 2, SDL_PIXELFORMAT_RGB565);
    SDL_SetColorKey(sprite, SDL_TRUE, 0);
    auto degrees = [](int i) { return -360.0 * i / 64.0; };
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, sprite);

    // The landscape with the view cut 5 and 7 pixels into its first tile.
    const int left = 32 * 10 + 5, top = 32 * 10 + 7;
    SDL_Surface* tiles[20];
    for (int i = 0; i < 20; ++i)
        tiles[i] = WrapSurfaceMemory(TileSurfaces[i]);

    Race(30, 10,
         {
             {[] { ComposeFrame(), DrawLives(); }, restore, &r.compose},
             {[] { DrawLandscape(ViewRight, ViewBottom); }, {}, &r.partGround},
             {[] { DrawClouds(ViewRight, ViewBottom); }, {}, &r.partClouds},
             {[] {
                  LockWholeSurface(BackBuffer);
                  for (Craft& e : EnemyCraft)
                      DrawCraftSprite(e, e.ScreenX, e.ScreenY);
                  DrawCraftSprite(PlayerCraft, PlayerCraft.ScreenX, PlayerCraft.ScreenY);
                  UnlockWholeSurface(BackBuffer);
              },
              restore, &r.partCraft},
             {[&] {
                  for (int y = 0; y < height; ++y)
                      std::memcpy(frame.Base + y * frame.Pitch, tile.data(),
                                  std::size_t(width) * 2);
              },
              {},
              &r.floor},
             {[&] {
                  LockWholeSurface(BackBuffer);
                  for (int i = 0; i < 64; ++i) {
                      RotateCraftCorners(craft, i * HeadingSteps / 64);
                      DrawCraftSprite(craft, width / 2, height / 2);
                  }
                  UnlockWholeSurface(BackBuffer);
              },
              {},
              &r.sprite},
             {[&] {
                  for (int i = 0; i < 64; ++i) {
                      SDL_Surface* turned = rotozoomSurface(sprite, degrees(i), 1.0, SMOOTHING_OFF);
                      SDL_SetSurfaceBlendMode(turned, SDL_BLENDMODE_NONE);
                      SDL_SetColorKey(turned, SDL_TRUE, SDL_MapRGBA(turned->format, 0, 0, 0, 255));
                      SDL_Rect at{width / 2 - turned->w / 2, height / 2 - turned->h / 2, turned->w,
                                  turned->h};
                      SDL_BlitSurface(turned, nullptr, target, &at);
                      SDL_FreeSurface(turned);
                  }
              },
              {},
              &r.rotozoom},
             {[&] {
                  SDL_Rect at{width / 2 - SpriteSize / 2, height / 2 - SpriteSize / 2, SpriteSize,
                              SpriteSize};
                  for (int i = 0; i < 64; ++i)
                      SDL_RenderCopyEx(renderer, texture, nullptr, &at, -degrees(i), nullptr,
                                       SDL_FLIP_NONE);
                  SDL_RenderFlush(renderer);
              },
              {},
              &r.renderCopyEx},
             {[&] { DrawLandscape(left + width, top + height); }, {}, &r.landscape},
             {[&] {
                  for (int y = -(top % 32), row = top / 32; y < height; y += 32, ++row)
                      for (int x = -(left % 32), col = left / 32; x < width; x += 32, ++col) {
                          SDL_Rect dst{x, y, 32, 32};
                          SDL_BlitSurface(tiles[WorldMap[row * MapTiles + col]], nullptr, target,
                                          &dst);
                      }
              },
              {},
              &r.blitSurface},
         });

    for (SDL_Surface* t : tiles)
        SDL_FreeSurface(t);
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(sprite);
    SDL_FreeSurface(target);
    return r;
}

// A game played on the test platform: the two opening pages left with Space, then full speed,
// a turn now and then, and the gun held. Only frames after the level title count.
double MeasureFrameStep() {
    ResetGameGlobals();
    TestOptions o;
    std::string script = "0.5 SPACE down\n0.6 SPACE up\n3.5 SPACE down\n3.6 SPACE up\n"
                         "10 UP down\n10 SPACE down\n";
    for (int t = 12; t < 60; t += 4)
        script += std::to_string(t) + " RIGHT down\n" + std::to_string(t) + ".7 RIGHT up\n";
    std::string error;
    ParseScript(script, o.script, error);
    o.untilSeconds = 60;
    TestPlatformStart(o);
    double cpuAtBegin = 0, total = 0;
    long frames = 0;
    TestSetFrameStepHook([&](std::int64_t beginNs, bool atEnd) {
        if (!atEnd) {
            cpuAtBegin = ThreadCpuMicroseconds();
        } else if (beginNs > TestSecondsToNs(15)) {
            total += ThreadCpuMicroseconds() - cpuAtBegin;
            ++frames;
        }
    });
    try {
        WinMain(nullptr, nullptr, nullptr, 0);
    } catch (const TestStop&) {
    }
    TestSetFrameStepHook({});
    return frames ? total / double(frames) : 0.0;
}

// F12 at 800 by 600: what the game's thread spends taking the shot (a copy of the surface handed
// to the writer), and what the writer then spends encoding it on its own thread. The files go to
// a scratch folder, and what the writer says is not shown.
void MeasureScreenshot(double* take, double* encode) {
    char folder[] = "/tmp/skirmo-bench-XXXXXX";
    if (!mkdtemp(folder)) return;
    setenv("XDG_PICTURES_DIR", folder, 1);
    LoadEverything(800, 600);
    MakeBusyScene();
    ComposeFrame();
    PrimarySurface->Flip(nullptr, DDFLIP_WAIT);
    const SurfaceMemory& front = *DisplayFront();
    std::fflush(stdout);
    const int out = dup(1), nowhere = open("/dev/null", O_WRONLY);
    dup2(nowhere, 1);
    // Each shot is taken with the writer idle, as a player's F12 is (the last one written and
    // the writer stopped, so the time includes starting it again: an upper bound).
    Race(5, 4,
         {{[&] { TakeScreenshot(front); }, FinishScreenshots, take},
          {[&] { EncodePng(front.pixels, front.width, front.height, front.pitch); },
           FinishScreenshots, encode}});
    FinishScreenshots();
    std::fflush(stdout);
    dup2(out, 1);
    close(out);
    close(nowhere);
    std::filesystem::remove_all(folder);
}

// For a profiler: draws one thing over and over for a few seconds at 800 by 600, and nothing
// else, so that `perf record` sees only it.
int Profile(const std::string& what) {
    LoadEverything(800, 600);
    BusyScene scene = MakeBusyScene();
    Craft craft = scene.enemies[0];
    craft.State = CraftAttacking;
    craft.Frame = FrameNormal;
    auto until = Clock::now() + std::chrono::seconds(5);
    double cpu0 = ThreadCpuMicroseconds();
    long rounds = 0;
    while (Clock::now() < until) {
        for (int i = 0; i < 100; ++i, ++rounds) {
            if (what == "compose") {
                RestoreBusyScene(scene);
                ComposeFrame(), DrawLives();
            } else if (what == "ground") {
                DrawLandscape(ViewRight, ViewBottom);
            } else if (what == "sprite") {
                LockWholeSurface(BackBuffer);
                for (int k = 0; k < 64; ++k) {
                    RotateCraftCorners(craft, k * HeadingSteps / 64);
                    DrawCraftSprite(craft, 400, 300);
                }
                UnlockWholeSurface(BackBuffer);
            } else {
                std::fprintf(stderr, "bench: --profile takes compose, ground or sprite\n");
                return 1;
            }
        }
    }
    std::printf("bench: %ld rounds of %s, %.1f us of CPU each\n", rounds, what.c_str(),
                (ThreadCpuMicroseconds() - cpu0) / double(rounds));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* data = argc > 1 ? argv[1] : "data";
    if (chdir(data) != 0) {
        std::fprintf(stderr, "bench: cannot enter %s\n", data);
        return 1;
    }
    if (argc > 3 && std::string(argv[2]) == "--profile") return Profile(argv[3]);
    double composeRatio = 0, spriteRatio = 0, landscapeRatio = 0;
    for (auto [w, h] : {std::pair{640, 480}, std::pair{800, 600}}) {
        SizeFigures f = MeasureSize(w, h);
        double bestSdl = std::min(f.rotozoom, f.renderCopyEx);
        std::printf("%dx%d\n", w, h);
        std::printf("  busy frame (ComposeFrame + DrawLives) %8.1f us   floor (memcpy) %7.1f us  "
                    " ratio %.2f\n",
                    f.compose, f.floor, f.compose / f.floor);
        std::printf("    of which: ground %.1f us, clouds %.1f us, six craft %.1f us\n",
                    f.partGround, f.partClouds, f.partCraft);
        std::printf("  sprite, 64 headings: ours %8.1f us   rotozoom+blit %8.1f us   "
                    "RenderCopyEx %8.1f us   ours / faster %.2f\n",
                    f.sprite, f.rotozoom, f.renderCopyEx, f.sprite / bestSdl);
        std::printf("  landscape: DrawLandscape %7.1f us   SDL_BlitSurface %7.1f us   ratio %.2f\n",
                    f.landscape, f.blitSurface, f.landscape / f.blitSurface);
        // The summary carries the larger picture, where the work is greatest.
        composeRatio = f.compose / f.floor;
        spriteRatio = f.sprite / bestSdl;
        landscapeRatio = f.landscape / f.blitSurface;
    }
    double frameStep = MeasureFrameStep();
    double share = frameStep / (1e6 / 60.0) * 100.0;
    std::printf("frame step: %.1f us of CPU, %.2f%% of a 60 Hz frame\n", frameStep, share);
    double take = 0, encode = 0;
    MeasureScreenshot(&take, &encode);
    std::printf("screenshot 800x600: %.1f us on the game's thread, %.1f ms encoding on the "
                "writer's\n",
                take, encode / 1000);
    std::printf("bench: compose_vs_floor=%.2f sprite_vs_best_sdl=%.2f landscape_vs_sdl=%.2f "
                "framestep_share=%.2f screenshot_take_us=%.1f\n",
                composeRatio, spriteRatio, landscapeRatio, share, take);
    return 0;
}
