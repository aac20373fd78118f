// Shots: the list, flight and expiry, the hit tests and what a hit does, the drawing.
#include "combat/shots.h"

#include <malloc.h>

#include <filesystem>
#include <string>

#include "core/game_clock.h"
#include "audio/sound.h"
#include "combat_support.h"

namespace {

class ShotsTest : public CombatTest {
  protected:
    void SetUp() override {
        CombatTest::SetUp();
        InitShotList();
        // Every enemy starts far away and out of the fight unless a test places it.
        for (Craft& e : EnemyCraft) {
            e.PosX = e.PosY = -5000.0f;
            e.State = CraftFinished;
        }
        PlayerCraft.PosX = PlayerCraft.PosY = 5000.0f;
        PlayerCraft.HitPoints = 10;
        FrameDelta = 0.0f; // shots stand still unless a test moves them
        FrameRate = 60.0f;
    }
    std::vector<float> Headings() {
        std::vector<float> h;
        for (Shot* s = ShotList.First; s; s = s->Next)
            h.push_back(s->Heading);
        return h;
    }
};

TEST_F(ShotsTest, ListKeepsFiringOrderAndFreesWhatItUnlinks) {
    for (int i = 0; i < 5; ++i)
        SpawnShot(i % 2, 0.0f, 0.0f, float(i));
    EXPECT_EQ(ShotList.Count, 5);
    EXPECT_EQ(Headings(), (std::vector<float>{0, 1, 2, 3, 4}));

    // Removing the first, a middle one and the last in one pass keeps the rest linked.
    int i = 0;
    for (Shot* s = ShotList.First; s; s = s->Next)
        s->Age = (i++ % 2 == 0) ? 1.95f : 0.0f;
    FrameDelta = 0.1f;
    UpdateShots();
    EXPECT_EQ(Headings(), (std::vector<float>{1, 3}));
    EXPECT_EQ(ShotList.Count, 2);
    SpawnShot(0, 0.0f, 0.0f, 7.0f);
    EXPECT_EQ(Headings(), (std::vector<float>{1, 3, 7}));

    ClearShots();
    EXPECT_EQ(ShotList.First, nullptr);
    EXPECT_EQ(ShotList.Count, 0);

    // Clearing gives the shots' memory back (a few small blocks may stay cached).
    const double before = double(mallinfo2().uordblks);
    for (int k = 0; k < 1000; ++k)
        SpawnShot(0, 0.0f, 0.0f, 0.0f);
    ClearShots();
    EXPECT_LT(double(mallinfo2().uordblks) - before, 1000.0);
}

TEST_F(ShotsTest, FliesAlongItsHeadingAndExpiresAtTwoSecondsWithoutAHitTest) {
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 480.0f); // straight down
    ShotList.First->Age = 1.0f;
    FrameDelta = 0.5f;
    UpdateShots();
    ASSERT_EQ(ShotList.Count, 1);
    EXPECT_NEAR(ShotList.First->PosX, 100.0f, 1e-3);
    EXPECT_NEAR(ShotList.First->PosY, 225.0f, 1e-3);
    EXPECT_EQ(ShotList.First->Age, 1.5f);

    // Next frame it reaches an enemy exactly where it ends: it ages out, the enemy is untouched.
    Craft& e = PlaceEnemy(0, 100.0f, 350.0f);
    UpdateShots();
    EXPECT_EQ(ShotList.Count, 0);
    EXPECT_EQ(e.HitPoints, 5);
    EXPECT_EQ(e.Frame, FrameNormal);

    // Shots fly on beyond the world's edge.
    SpawnShot(ShotByPlayer, 2040.0f, 10.0f, 0.0f);
    FrameDelta = 0.1f;
    for (int i = 0; i < 5; ++i)
        UpdateShots();
    ASSERT_EQ(ShotList.Count, 1);
    EXPECT_NEAR(ShotList.First->PosX, 2165.0f, 1e-2);
}

TEST_F(ShotsTest, HitsOnlyStrictlyInsideTheRadius) {
    Craft& e = PlaceEnemy(0, 124.0f, 100.0f);
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(ShotList.Count, 1);
    EXPECT_EQ(e.HitPoints, 5);

    e.PosX = 123.99f;
    UpdateShots();
    EXPECT_EQ(ShotList.Count, 0);
    EXPECT_EQ(e.HitPoints, 4);

    // The same for the enemies' shots and the player.
    PlayerCraft.PosX = 100.0f;
    PlayerCraft.PosY = 76.0f;
    SpawnShot(ShotByEnemy, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(PlayerCraft.HitPoints, 10);
    PlayerCraft.PosY = 76.01f;
    UpdateShots();
    EXPECT_EQ(PlayerCraft.HitPoints, 9);
}

TEST_F(ShotsTest, OneShotHitsOnlyTheLowerSlotAndPassesThroughExplodingCraft) {
    Craft& a = PlaceEnemy(1, 105.0f, 100.0f);
    Craft& b = PlaceEnemy(3, 95.0f, 100.0f);
    Craft& exploding = PlaceEnemy(0, 100.0f, 100.0f);
    exploding.State = CraftDestroyed;
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(exploding.HitPoints, 5);
    EXPECT_EQ(a.HitPoints, 4);
    EXPECT_EQ(b.HitPoints, 5);
    EXPECT_EQ(ShotList.Count, 0);

    // Finished slots are passed through too.
    a.State = b.State = CraftFinished;
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(ShotList.Count, 1);
}

TEST_F(ShotsTest, NobodyIsHitByTheirOwnSide) {
    Craft& e = PlaceEnemy(0, 100.0f, 100.0f);
    PlayerCraft.PosX = 100.0f;
    PlayerCraft.PosY = 100.0f;
    SpawnShot(ShotByEnemy, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    // The enemy's shot took the player's hit point, never the enemy's.
    EXPECT_EQ(e.HitPoints, 5);
    EXPECT_EQ(PlayerCraft.HitPoints, 9);
    EXPECT_EQ(PlayerCraft.Frame, FrameHit);

    e.PosX = 5000.0f; // the player's own shot, with no enemy near, hits nothing
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(PlayerCraft.HitPoints, 9);
    EXPECT_EQ(ShotList.Count, 1);
}

TEST_F(ShotsTest, EnemiesRetreatBelowTheirLevelsThresholdAndExplodeAtZero) {
    // Level: hits taken before the retreat (5 - level / 2 in whole numbers).
    const int expected[5] = {1, 1, 2, 2, 3};
    for (int level = 0; level < 5; ++level) {
        Craft& e = PlaceEnemy(0, 100.0f, 100.0f, level);
        int hits = 0;
        while (e.State == CraftAttacking) {
            SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
            UpdateShots();
            ++hits;
        }
        EXPECT_EQ(hits, expected[level]) << "level " << level;
        EXPECT_EQ(e.State, CraftRetreating);
        EXPECT_EQ(e.Frame, FrameHit);
    }

    Craft& e = EnemyCraft[0];
    e.HitPoints = 1;
    FrameRate = 37.9f;
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(e.HitPoints, 0);
    EXPECT_EQ(e.State, CraftDestroyed);
    EXPECT_EQ(e.Frame, FrameDestroyed);
    EXPECT_EQ(e.Countdown, 37);
}

TEST_F(ShotsTest, ThePlayersLastHitPointTakesALifeAndStartsTheExplosion) {
    PlayerCraft.PosX = PlayerCraft.PosY = 100.0f;
    PlayerCraft.HitPoints = 1;
    PlayerLives = 2;
    FrameRate = 37.9f;
    SpawnShot(ShotByEnemy, 100.0f, 100.0f, 0.0f);
    SpawnShot(ShotByEnemy, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(PlayerCraft.HitPoints, 0);
    EXPECT_EQ(PlayerCraft.State, CraftDestroyed);
    EXPECT_EQ(PlayerCraft.Frame, FrameDestroyed);
    EXPECT_EQ(PlayerCraft.Countdown, 56); // 37.9 x 1.5, truncated
    EXPECT_EQ(PlayerLives, 1);
    // The second shot flew through the exploding craft.
    EXPECT_EQ(ShotList.Count, 1);
}

TEST_F(ShotsTest, DrawsAPlusClippedAtTheScreensEdges) {
    LockMemoryFrame(640, 480);
    const std::uint16_t yellow = PackColor(255, 255, 0, &PixelFormatInfo);
    // The view's left edge is at world x 1000 - 640 = 360, its top at 700 - 480 = 220.
    SpawnShot(ShotByPlayer, 400.7f, 300.2f, 0.0f);
    DrawShots(1000, 700);
    EXPECT_EQ(LitPixels(), 5);
    for (auto [x, y] : {std::pair{40, 80}, {39, 80}, {41, 80}, {40, 79}, {40, 81}})
        EXPECT_EQ(Pixel(x, y), yellow) << x << "," << y;

    // Centre on column -1: one pixel at column 0, the vertical bar wholly off the screen.
    ClearShots();
    LockMemoryFrame(640, 480);
    SpawnShot(ShotByEnemy, 359.0f, 300.0f, 0.0f);
    DrawShots(1000, 700);
    EXPECT_EQ(LitPixels(), 1);
    EXPECT_EQ(Pixel(0, 80), PackColor(255, 255, 255, &PixelFormatInfo));

    // The four corners of the screen: three pixels each, and nothing written outside.
    ClearShots();
    LockMemoryFrame(640, 480);
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}})
        SpawnShot(ShotByPlayer, float(x), float(y), 0.0f);
    DrawShots(640, 480);
    EXPECT_EQ(LitPixels(), 12);
}

} // namespace

namespace {

// The hits' sounds, asked for by slot: each slot is told apart by the frequency loading gives it.
class ShotSoundsTest : public ShotsTest {
  protected:
    std::filesystem::path home;
    void SetUp() override {
        ShotsTest::SetUp();
        home = std::filesystem::current_path();
        std::filesystem::current_path(SKIRMO_DATA_DIR);
        OpenWindow();
        ASSERT_EQ(InitSound(), 1);
        const char* files[] = {"plyrshot.voc", "pickup.voc", "boom.voc",
                               "plyrshot.voc", "pickup.voc", "boom.voc"};
        for (int slot = 0; slot < 6; ++slot) {
            ASSERT_EQ(LoadVocSound(files[slot]), slot);
            SetSlotFrequency(slot, Hz[slot]);
        }
        TestEvents().clear();
    }
    void TearDown() override {
        ShotsTest::TearDown();
        std::filesystem::current_path(home);
    }
    static constexpr DWORD Hz[6] = {7000, 11020, 8000, 11000, 10000, 9000};
    // "stop 2", "play 2", ... since the last call.
    std::vector<std::string> Slots() {
        std::vector<std::string> said;
        for (const TestEvent& e : TestEvents())
            for (int slot = 0; slot < 6; ++slot)
                if (e.kind == "sound" && e.frequency == long(Hz[slot]))
                    said.push_back(e.op + " " + std::to_string(slot));
        TestEvents().clear();
        return said;
    }
    using Said = std::vector<std::string>;
};

TEST_F(ShotSoundsTest, EachHitRestartsItsSlot) {
    Craft& e = PlaceEnemy(0, 100.0f, 100.0f);
    e.HitPoints = 2;
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(Slots(), (Said{"stop 1", "play 1"})); // enemy hit
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(Slots(), (Said{"stop 2", "play 2"})); // enemy destroyed

    PlayerCraft.PosX = PlayerCraft.PosY = 100.0f;
    PlayerCraft.HitPoints = 2;
    SpawnShot(ShotByEnemy, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(Slots(), (Said{"stop 4", "play 4"})); // player hit
    SpawnShot(ShotByEnemy, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(Slots(), (Said{"stop 4", "play 4", "stop 5", "play 5"})); // and destroyed
}

} // namespace
