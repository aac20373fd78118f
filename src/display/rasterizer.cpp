// rasterizer.cpp -- craft pictures drawn turned to their heading
#include "display/rasterizer.h"

#include "app/game_globals.h"
#include "combat/craft.h"

const SpriteImage* CurrentTexture = nullptr;

static const GlobalsReset Reset([] { CurrentTexture = nullptr; });

// Not built yet: comes with the flight work.
void DrawCraftSprite(Craft&, std::int32_t, std::int32_t) {}
void DrawTexturedTriangle(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                          std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                          std::int32_t, std::int32_t) {}
void DrawTexturedColumn(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        std::int32_t, std::int32_t) {}
