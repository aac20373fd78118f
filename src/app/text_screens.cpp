// text_screens.cpp -- the full-screen text pages
#include "app/text_screens.h"

// The pages come with their own piece of work; start-up already calls this in its place.
void ShowTextScreen(TextScreen) {}
