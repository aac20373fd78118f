// bot.cpp -- the replay runner's autopilot
//
// It plays as a person at the keyboard would: on every keyboard poll it looks at the game's
// globals and holds or releases keys. It never writes the game's state.
//
// What it does:
// - In play: picks the nearest enemy still in the fight, leads it by the shot's flight time,
//   turns toward that point at full speed, and holds SPACE while the point lies ahead and
//   within reach. An enemy shot about to pass within a craft's width comes first: the bot
//   breaks across its line, away from the side it would pass on. Enemies never lead their
//   shots, so a craft moving across the line of fire is missed.
// - When the picture stands still for a while (a text page, a prompt, the pause line): taps
//   SPACE, which leaves text pages, and holds N, which answers the quit prompt it never asks
//   for.
// - On the last frame of the last life's explosion, where the game asks whether to try again:
//   holds Y, or N when SKIRMO_BOT_RETRY=n.
#include "bot.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "combat/player.h"
#include "combat/craft.h"
#include "combat/shots.h"
#include "core/headings.h"
#include "core/program.h"
#include "platform/api/input.h"
#include "platform/test/test_platform.h"

namespace {

constexpr double ShotReach = 350.0;           // shots fly 500, but far shots miss a turning enemy
constexpr double MissMargin = 40.0;           // closer than this is a hit to dodge
constexpr std::int64_t StallNs = 250'000'000; // a quarter second without motion
constexpr std::int64_t TapEveryNs = 1'000'000'000; // Space on a page: a short tap each second
constexpr std::int64_t TapNs = 50'000'000;

// Everything that moves or counts down during play. While it stays the same, no frame is
// being played: the game waits on a page or a prompt.
struct Motion {
    float X[6], Y[6], Heading[6];
    std::int32_t Countdown[6], State[6];
    std::int32_t Remaining, Level, Lives;
};

struct BotState {
    bool answerYes = true;
    Motion last{};
    std::int64_t lastChangeNs = 0;
    bool held[256] = {};
};

BotState Bot;

void Hold(int key, bool down) {
    if (Bot.held[key] == down) return;
    Bot.held[key] = down;
    TestSetKey(key, down);
}

Motion ReadMotion() {
    Motion m{};
    for (int i = 0; i < 6; ++i) {
        const Craft& c = i == 0 ? PlayerCraft : EnemyCraft[i - 1];
        m.X[i] = c.PosX;
        m.Y[i] = c.PosY;
        m.Heading[i] = c.Heading;
        m.Countdown[i] = c.Countdown;
        m.State[i] = c.State;
    }
    m.Remaining = EnemiesRemaining;
    m.Level = CurrentLevel;
    m.Lives = PlayerLives;
    return m;
}

constexpr double HalfTurn = HeadingSteps / 2.0, QuarterTurn = HeadingSteps / 4.0;

// Heading steps from -HalfTurn to HalfTurn.
double Wrap(double steps) {
    while (steps >= HalfTurn)
        steps -= HeadingSteps;
    while (steps < -HalfTurn)
        steps += HeadingSteps;
    return steps;
}

struct Aim {
    bool found = false;
    double x = 0, y = 0, distance = 0;
};

// Where a shot fired now would meet the nearest enemy in the fight, if it flew on straight.
Aim ChooseTarget() {
    Aim best;
    const double px = PlayerCraft.PosX, py = PlayerCraft.PosY;
    for (const Craft& e : EnemyCraft) {
        if (e.Frame == FrameRetired) continue;
        if (e.State != CraftAttacking && e.State != CraftRetreating) continue;
        int h = int(e.Heading);
        if (h < 0 || h > HeadingSteps) h = 0;
        const double vx = e.Speed * CosTable[h], vy = e.Speed * SinTable[h];
        const double rx = e.PosX - px, ry = e.PosY - py;
        // |r + v t| = ShotSpeed t, for the smallest t > 0.
        const double a = vx * vx + vy * vy - double(ShotSpeed) * ShotSpeed;
        const double b = 2.0 * (rx * vx + ry * vy);
        const double c = rx * rx + ry * ry;
        double t = 0.0;
        const double disc = b * b - 4.0 * a * c;
        if (disc >= 0.0 && a < 0.0) t = (-b - std::sqrt(disc)) / (2.0 * a);
        if (t < 0.0) t = 0.0;
        Aim aim;
        aim.found = true;
        aim.x = e.PosX + vx * t;
        aim.y = e.PosY + vy * t;
        aim.distance = std::sqrt(c);
        // Enemies still outside the world cannot be reached: the player stays inside it.
        const bool outside = e.PosX < 0 || e.PosX > WorldSize || e.PosY < 0 || e.PosY > WorldSize;
        if (outside) aim.distance += 400.0;
        if (!best.found || aim.distance < best.distance) best = aim;
    }
    return best;
}

struct Threat {
    bool found = false;
    double time = 1e9; // seconds until the closest approach
    double side = 0;   // which way to break: positive for a growing heading
};

// The soonest enemy shot that will pass within MissMargin of the player if both fly on straight.
Threat IncomingShot() {
    Threat worst;
    int ph = int(PlayerCraft.Heading);
    if (ph < 0 || ph > HeadingSteps) ph = 0;
    const double pvx = PlayerCraft.Speed * CosTable[ph], pvy = PlayerCraft.Speed * SinTable[ph];
    for (const Shot* s = ShotList.First; s; s = s->Next) {
        if (s->ShotOwner != ShotByEnemy) continue;
        int h = int(s->Heading);
        if (h < 0 || h > HeadingSteps) continue;
        const double svx = s->Speed * CosTable[h], svy = s->Speed * SinTable[h];
        const double rx = s->PosX - PlayerCraft.PosX, ry = s->PosY - PlayerCraft.PosY;
        const double wx = svx - pvx, wy = svy - pvy;
        const double ww = wx * wx + wy * wy;
        if (ww < 1e-6) continue;
        double t = -(rx * wx + ry * wy) / ww;
        const double life = double(ShotLifetime) - s->Age;
        if (t < 0.0 || t > life || t > 1.2) continue;
        const double mx = rx + wx * t, my = ry + wy * t;
        const double miss = std::sqrt(mx * mx + my * my);
        if (miss > MissMargin) continue;
        if (t < worst.time) {
            worst.found = true;
            worst.time = t;
            // m runs from the player to the shot at its closest. The break is a quarter turn off
            // the shot's heading, to the side away from m, so that the gap only grows.
            const double cross = svx * my - svy * mx;
            const double shotHeading = std::atan2(svy, svx) / HeadingStepRadians;
            const double away = shotHeading + (cross >= 0 ? -QuarterTurn : QuarterTurn);
            worst.side = Wrap(away - PlayerCraft.Heading);
        }
    }
    return worst;
}

void Fly() {
    Hold('Y', false);
    Hold('N', false);
    const double px = PlayerCraft.PosX, py = PlayerCraft.PosY;
    Aim aim = ChooseTarget();
    double tx = WorldSize / 2.0, ty = WorldSize / 2.0; // nobody to fight: wait in the middle
    if (aim.found) {
        tx = aim.x;
        ty = aim.y;
    }
    const double dx = tx - px, dy = ty - py;
    const double range = std::sqrt(dx * dx + dy * dy);
    double want = std::atan2(dy, dx) / HeadingStepRadians;
    const double off = Wrap(want - PlayerCraft.Heading);
    const Threat threat = IncomingShot();
    const double steer = threat.found ? threat.side : off;

    // One frame's turn at 60 frames a second; a smaller error is left alone.
    const double step = (double(TurnRateBase) - PlayerCraft.Speed) / 60.0;
    Hold(VK_RIGHT, steer > step / 2);
    Hold(VK_LEFT, steer < -step / 2);

    // Full speed: a fast craft crosses the enemies' lines of fire before their shots arrive.
    Hold(VK_UP, true);
    Hold(VK_DOWN, false);

    // A hit needs the shot within 24 units of the centre; the spread of the cheat helps too.
    double tolerance = std::atan2(20.0, std::fmax(range, 1.0)) / HeadingStepRadians;
    if (tolerance < 6.0) tolerance = 6.0;
    Hold(VK_SPACE, aim.found && range < ShotReach && std::fabs(off) < tolerance);
}

// While the game stands still, a short tap of Space every second: each page is read for a moment
// and left, where a Space held down would skip the pages that follow almost at once.
bool TapSpace(std::int64_t nowNs) {
    const std::int64_t still = nowNs - Bot.lastChangeNs - StallNs;
    return still >= 0 && still % TapEveryNs < TapNs;
}

void OnKeyboardPoll(std::int64_t nowNs) {
    Motion now = ReadMotion();
    if (std::memcmp(&now, &Bot.last, sizeof now) != 0) {
        Bot.last = now;
        Bot.lastChangeNs = nowNs;
    }

    // The last frame of the last life's explosion: the retry prompt is (about to be) asked.
    if (PlayerLives == 0 && PlayerCraft.State == CraftDestroyed && PlayerCraft.Countdown == 1) {
        for (int key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN})
            Hold(key, false);
        Hold(Bot.answerYes ? 'Y' : 'N', true);
        // After a no, the credits and thanks pages follow.
        Hold(VK_SPACE, TapSpace(nowNs));
        return;
    }

    if (nowNs - Bot.lastChangeNs > StallNs) {
        for (int key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, int('Y')})
            Hold(key, false);
        Hold(VK_SPACE, TapSpace(nowNs));
        Hold('N', true);
        return;
    }
    Fly();
}

} // namespace

void AttachBot() {
    Bot = BotState{};
    const char* retry = std::getenv("SKIRMO_BOT_RETRY");
    Bot.answerYes = !(retry && (retry[0] == 'n' || retry[0] == 'N'));
    TestSetKeyboardHook(OnKeyboardPoll);
}
