// cheat.cpp -- the cheat word and the joke keys
//
// Typing B, R, A, S, S during play unlocks a spread volley and three keys that grow, shrink and
// restore the enemies' pictures. Each letter counts once per press: the game waits for its
// release, standing still meanwhile.
#include "app/cheat.h"

#include "core/game_globals.h"
#include "combat/craft.h"
#include "core/keyboard.h"

std::int32_t CheatMode = 0;
std::int32_t CheatProgress = 0;

static const GlobalsReset Reset(CheatMode, CheatProgress);

void MatchCheatWord() {
    // A key out of turn starts the word over and does not itself count as a first letter:
    // after a mistake the word is typed again from its B.
    if (KeyPressed('B')) CheatProgress = CheatProgress == 0 ? 1 : 0;
    if (KeyPressed('R')) CheatProgress = CheatProgress == 1 ? 2 : 0;
    if (KeyPressed('A')) CheatProgress = CheatProgress == 2 ? 3 : 0;
    // The last two letters are the same key.
    if (KeyPressed('S')) {
        if (CheatProgress == 3 || CheatProgress == 4) {
            CheatProgress += 1;
            if (CheatProgress == 5) CheatMode = 1;
        } else {
            CheatProgress = 0;
        }
    }
}

void ApplyJokeKey(int mode) {
    for (Craft& enemy : EnemyCraft) {
        for (int i = 0; i < 4; ++i) {
            CornerPoint& corner = enemy.ModelCorners[i];
            // Float arithmetic on purpose: held long enough the corners overflow to infinity,
            // which the rasterizer refuses, where narrowing a double product would be undefined.
            if (mode == 0) {
                corner.X *= 1.1f;
                corner.Y *= 1.1f;
            } else if (mode == 1) {
                corner.X *= 0.9f;
                corner.Y *= 0.9f;
            } else if (mode == 2) {
                // The player's corners are never scaled: the standard square.
                corner = PlayerCraft.ModelCorners[i];
            }
        }
    }
}
