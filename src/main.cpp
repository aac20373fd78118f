// main.cpp -- skirmo, the game, on the desktop
#include "app/startup.h"

int main(int, char**) { return WinMain(nullptr, nullptr, nullptr, 0); }
