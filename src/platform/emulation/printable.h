// printable.h -- bytes from a file, made safe to quote on a terminal
#pragma once

#include <string>

// text with every byte outside printable ASCII (control bytes, escape sequences, bytes past 127)
// written as \xNN: a message that quotes a file can neither retitle the player's terminal nor
// clear it.
std::string Printable(const std::string& text);
