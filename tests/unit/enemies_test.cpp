// Enemy behaviour at the edges of its rules (whole games in the golden logs hold the rest): the
// heading to the player on the axes, steering across heading 0 and exactly in line, the distances
// that switch between attack and retreat, and when a shot may be fired.
#include "combat/enemies.h"

#include <cmath>

#include "core/game_clock.h"
#include "core/random.h"
#include "combat/shots.h"
#include "combat_support.h"

namespace {

class EnemiesTest : public CombatTest {
  protected:
    void SetUp() override {
        CombatTest::SetUp();
        InitShotList();
        for (Craft& e : EnemyCraft) {
            e.State = CraftFinished;
            e.Frame = FrameRetired;
        }
        EnemiesSpawned = EnemySpawnLimit = 15; // no refills unless a test wants them
        PlayerCraft.PosX = 1000.0f;
        PlayerCraft.PosY = 1000.0f;
        FrameDelta = 0.01f;
        GameClock = 100.0f;
    }
    // Puts the player at a distance from enemy 0 along a heading seen from the enemy.
    void PlayerAt(float heading, float distance) {
        double r = heading * 0.0032724895833333334;
        PlayerCraft.PosX = EnemyCraft[0].PosX + float(std::cos(r) * distance);
        PlayerCraft.PosY = EnemyCraft[0].PosY + float(std::sin(r) * distance);
    }
};

TEST_F(EnemiesTest, HeadingToPlayerOnTheAxes) {
    PlaceEnemy(0, 100.0f, 100.0f);
    const float expected[5][3] = {{200, 100, 0},
                                  {0, 100, 960},
                                  {100, 200, 480},
                                  {100, 0, 1440},
                                  {100, 100, 960}}; // right, left, below, above, the same place
    for (const auto& c : expected) {
        PlayerCraft.PosX = c[0];
        PlayerCraft.PosY = c[1];
        EXPECT_EQ(HeadingToPlayer(0), c[2]) << c[0] << "," << c[1];
    }
}

TEST_F(EnemiesTest, NearlyAimedAcrossHeadingZeroTurnsAtFullRateAndHoldsFire) {
    Craft& e = PlaceEnemy(0, 1000.0f, 1000.0f);
    e.Heading = 1900.0f;
    PlayerAt(10.0f, 300.0f);
    const std::uint32_t before = RandomState;
    UpdateEnemies();
    // The difference taken without wrap-around is 1890: full rate (525 a second), and the
    // turn goes toward the player, on through 1920.
    EXPECT_NEAR(e.Heading, 1905.25f, 1e-3);
    EXPECT_EQ(ShotList.Count, 0);
    EXPECT_EQ(RandomState, before); // not aimed: no draw for the shot

    // Truly aimed (10 steps off the other way): the turn is the player's distance from the
    // line of flight, about 300 x sin(10 steps) = 9.8 a second.
    e.Heading = 20.0f;
    PlayerAt(10.0f, 300.0f);
    UpdateEnemies();
    EXPECT_NEAR(e.Heading, 20.0f - 0.098f, 2e-3);
}

TEST_F(EnemiesTest, AttackTurnsTowardRetreatTurnsAwayAndMovesOnTheOldHeading) {
    Craft& e = PlaceEnemy(0, 1000.0f, 1000.0f, 2);
    e.Heading = 0.0f;
    PlayerAt(600.0f, 400.0f); // off the nose on the side of growing heading
    UpdateEnemies();
    EXPECT_NEAR(e.Heading, 6.75f, 1e-3); // 675 a second at level 2
    EXPECT_EQ(e.Speed, 105.0f);
    // The move used heading 0, from before the turn.
    EXPECT_NEAR(e.PosX, 1001.05f, 1e-3);
    EXPECT_NEAR(e.PosY, 1000.0f, 1e-4);
    // The player exactly behind: the way of growing heading, at the full rate.
    e.Heading = 0.0f;
    PlayerCraft.PosX = e.PosX - 400.0f;
    PlayerCraft.PosY = e.PosY;
    UpdateEnemies();
    EXPECT_NEAR(e.Heading, 6.75f, 1e-3);

    // Retreating with the player within a quarter turn of the nose (here exactly ahead): away
    // the other way, at the full rate.
    e.State = CraftRetreating;
    e.Heading = 0.0f;
    PlayerCraft.PosX = e.PosX + 400.0f;
    PlayerCraft.PosY = e.PosY;
    UpdateEnemies();
    EXPECT_NEAR(e.Heading, 1920.0f - 6.75f, 1e-3);
    EXPECT_EQ(e.Speed, 155.0f);
    // On the other side, across heading 0, the difference is not wrapped: away the other way,
    // only by the distance from the line of flight (400 x sin(300 steps), about 333 a second).
    e.Heading = 0.0f;
    PlayerAt(1920.0f - 300.0f, 400.0f);
    UpdateEnemies();
    EXPECT_NEAR(e.Heading, 3.326f, 1e-2);
    // Beyond the quarter turn (600 steps off), only by the distance from the line of flight:
    // 400 x sin(600 steps), about 369 a second.
    e.Heading = 0.0f;
    PlayerAt(600.0f, 400.0f);
    UpdateEnemies();
    EXPECT_NEAR(e.Heading, 1920.0f - 3.69f, 1e-2);
}

TEST_F(EnemiesTest, DistanceDecidesBetweenAttackAndRetreat) {
    // Level 0 is shy: within 100 it retreats even unhurt; level 1 keeps attacking.
    Craft& shy = PlaceEnemy(0, 1000.0f, 1000.0f, 0);
    PlayerAt(0.0f, 99.0f);
    UpdateEnemies();
    EXPECT_EQ(shy.State, CraftRetreating);
    EXPECT_EQ(shy.Speed, 125.0f);

    Craft& bold = PlaceEnemy(0, 1000.0f, 1000.0f, 1);
    PlayerAt(0.0f, 99.0f);
    UpdateEnemies();
    EXPECT_EQ(bold.State, CraftAttacking);

    // A retreating enemy turns back once farther than 1000 - 100 x level.
    Craft& far = PlaceEnemy(0, 1000.0f, 1000.0f, 3);
    far.State = CraftRetreating;
    far.HitPoints = 1;
    PlayerAt(0.0f, 699.0f);
    UpdateEnemies();
    EXPECT_EQ(far.State, CraftRetreating);
    PlayerAt(0.0f, 702.0f);
    UpdateEnemies();
    EXPECT_EQ(far.State, CraftAttacking);
    EXPECT_EQ(far.Speed, 120.0f);
}

TEST_F(EnemiesTest, FiresOnlyWhenAimedCloseAndRested) {
    Craft& e = PlaceEnemy(0, 1000.0f, 1000.0f, 4); // one chance in 8
    PlayerAt(0.0f, 300.0f);
    e.Heading = HeadingToPlayer(0) + 50.0f;
    e.LastShotTime = 0.0f;
    std::vector<float> times;
    for (int frame = 0; frame < 1000; ++frame) {
        GameClock = 100.0f + frame * 0.01f;
        EnemyTryFire(0, 300.0f);
        if (ShotList.Count > int(times.size())) times.push_back(GameClock);
    }
    ASSERT_GE(times.size(), 8u); // ten seconds, about one shot every 0.6 s
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GT(times[i] - times[i - 1], 0.5f);
    EXPECT_EQ(e.LastShotTime, times.back());

    // At 500 or more, or 100 steps off, no shot and no draw.
    const std::uint32_t before = RandomState;
    GameClock += 10.0f;
    EnemyTryFire(0, 500.0f);
    e.Heading = HeadingToPlayer(0) + 100.0f;
    EnemyTryFire(0, 300.0f);
    EXPECT_EQ(RandomState, before);
    EXPECT_EQ(ShotList.Count, int(times.size()));
}

} // namespace
