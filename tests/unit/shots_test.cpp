// Shots: what whole games rarely reach (the golden logs hold the rest): the list's links and
// memory, expiry before a hit, the hit radius's edge, who can be hit, and the plus clipped at the
// screen's edges.
#include "combat/shots.h"

#include <malloc.h>

#include "core/game_clock.h"
#include "combat_support.h"
#include "flight_scene.h"

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

TEST_F(ShotsTest, ALastFrameOfLifeHitsNothing) {
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 480.0f); // straight down
    ShotList.First->Age = 1.5f;
    Craft& e = PlaceEnemy(0, 100.0f, 225.0f);
    FrameDelta = 0.5f; // it ends its two seconds exactly on the enemy
    UpdateShots();
    EXPECT_EQ(ShotList.Count, 0);
    EXPECT_EQ(e.HitPoints, 5);
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

TEST_F(ShotsTest, OneShotHitsOnlyTheLowerSlotAndPassesThroughCraftOutOfTheFight) {
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

    a.State = b.State = CraftFinished;
    PlayerCraft.PosX = PlayerCraft.PosY = 100.0f;
    PlayerCraft.State = CraftDestroyed;
    SpawnShot(ShotByPlayer, 100.0f, 100.0f, 0.0f);
    SpawnShot(ShotByEnemy, 100.0f, 100.0f, 0.0f);
    UpdateShots();
    EXPECT_EQ(ShotList.Count, 2);
    EXPECT_EQ(PlayerCraft.HitPoints, 10);
}

TEST_F(ShotsTest, DrawsAPlusClippedAtTheScreensEdges) {
    flight::Canvas screen(640, 480);
    const std::uint16_t yellow = PackColor(255, 255, 0, &PixelFormatInfo);
    // The view's left edge is at world x 1000 - 640 = 360, its top at 700 - 480 = 220.
    SpawnShot(ShotByPlayer, 400.7f, 300.2f, 0.0f);
    // Centre on column -1: one pixel at column 0, the vertical bar wholly off the screen.
    SpawnShot(ShotByEnemy, 359.0f, 400.0f, 0.0f);
    // The view's far corner: three pixels.
    SpawnShot(ShotByPlayer, 999.0f, 699.0f, 0.0f);
    DrawShots(1000, 700);
    EXPECT_EQ(screen.Written(), 5 + 1 + 3);
    for (auto [x, y] : {std::pair{40, 80}, {39, 80}, {41, 80}, {40, 79}, {40, 81}, {639, 479}})
        EXPECT_EQ(screen.At(x, y), yellow) << x << "," << y;
    EXPECT_EQ(screen.At(0, 180), PackColor(255, 255, 255, &PixelFormatInfo));
}

} // namespace
