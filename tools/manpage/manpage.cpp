// manpage.cpp -- skirmo-manpage: writes skirmo(6) from the option table --help shows
//
// Run by the build (packaging/CMakeLists.txt): skirmo-manpage FILE DATA_FOLDER, where
// DATA_FOLDER is where the installation keeps the data, for the FILES section.
#include <cstdio>
#include <string>

#include "shell/command_line.h"
#include "core/exit_status.h"

namespace {

// Text as roff shows it literally: a backslash and a minus sign are escaped, and a line may not
// begin with a control character.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
    return out;
}

// The keys as the README's table gives them.
const char* const Keys[][2] = {
    {"Left, Right", "turn"},
    {"Up, Down", "speed up, slow down"},
    {"Space", "fire; also leaves the text pages"},
    {"P", "pause and resume"},
    {"K", "the keys page"},
    {"I", "the frame-rate line"},
    {"Esc", "quit (asks first)"},
    {"Y, N", "answer the game's questions"},
    {"F11", "full screen or a window"},
    {"F12", "screenshot"},
};

// The game pad, as the README's table gives it.
const char* const PadButtons[][2] = {
    {"left stick, d-pad", "the arrows: turn, speed up, slow down"},
    {"A (south)", "Space: fire, leave a page; Y at a question"},
    {"B (east)", "N at a question"},
    {"Start", "P: pause and resume"},
    {"Back", "Esc: quit (asks first)"},
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skirmo-manpage FILE DATA_FOLDER\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out,
                 ".TH SKIRMO 6 \"\" \"Velmora %s\" \"Games\"\n"
                 ".SH NAME\n"
                 "skirmo \\- Velmora, air\\-to\\-air combat seen from straight above\n"
                 ".SH SYNOPSIS\n"
                 ".B skirmo\n"
                 "[\\fIOPTION\\fR]...\n"
                 ".SH DESCRIPTION\n"
                 "A small single\\-player arcade game. You fly one craft over a tiled landscape: "
                 "five levels of fifteen alien craft each, a piece of music per level, three "
                 "lives.\n"
                 ".PP\n"
                 "A start\\-up dialog asks for the picture size (640x480 or 800x600) and lets you "
                 "play without sound; \\-\\-mode answers it ahead. The game covers the screen or "
                 "plays in a window (F11); its picture is scaled with its 4:3 shape kept.\n"
                 ".SH OPTIONS\n",
                 Roff(ProgramVersion).c_str());
    for (const CommandLineOption& option : CommandLineOptions) {
        std::fprintf(out, ".TP\n.B %s", Roff(option.name).c_str());
        if (option.argument) std::fprintf(out, " \\fI%s\\fR", Roff(option.argument).c_str());
        std::fprintf(out, "\n%s\n", Roff(option.help).c_str());
    }
    std::fprintf(out, ".SH KEYS\n");
    for (const auto& key : Keys)
        std::fprintf(out, ".TP\n.B %s\n%s\n", key[0], key[1]);
    std::fprintf(out, ".PP\n"
                      "Alt+Tab leaves the game paused; come back and press P. Alt+F4 closes it, "
                      "also while a question or a page waits for its key.\n"
                      ".SH GAME PAD\n"
                      "A pad works as soon as it is plugged in. A question takes a fresh press: "
                      "a button held when it comes counts once let go and pressed again.\n");
    for (const auto& button : PadButtons)
        std::fprintf(out, ".TP\n.B %s\n%s\n", button[0], button[1]);
    std::fprintf(out,
                 ".SH FILES\n"
                 ".TP\n"
                 ".I %s\n"
                 "The game's pictures, map, sounds and music. Without \\-\\-data the game "
                 "reads them from the first of these folders that holds them (world.dat among "
                 "them): the current folder, the program's own folder, "
                 "\\fI$XDG_DATA_HOME\\fR/velmora (~/.local/share/velmora when unset), each of "
                 "\\fI$XDG_DATA_DIRS\\fR (/usr/local/share:/usr/share when unset) with /velmora, "
                 "and here. Names are matched without regard to case: a name spelled as asked "
                 "first, then the readable one with the fewest letters in another case. A file "
                 "that cannot be opened or used is reported on standard error under its own "
                 "name, with the folders looked in.\n"
                 ".TP\n"
                 ".I ~/.config/velmora/window.conf\n"
                 "How the window was left ($XDG_CONFIG_HOME/velmora/ when set), written when "
                 "the player changes it: the lines \\fBmode window\\fR or \\fBmode "
                 "fullscreen\\fR, \\fBsize\\fR \\fIWIDTH HEIGHT\\fR (the window's inside) "
                 "and \\fBplace\\fR \\fIX Y\\fR (its frame's corner on the desktop), each "
                 "optional. A file that cannot be read so, or a size below 160 by 120, is "
                 "ignored with a warning. Only what the player changed is written; comments, "
                 "the order and a link stay.\n"
                 ".TP\n"
                 ".I ~/Pictures/velmora/\n"
                 "Screenshots (F12), PNG files of the game's own picture: in the desktop's "
                 "pictures folder ($XDG_PICTURES_DIR, or as ~/.config/user-dirs.dirs names it), "
                 "else in ~/.local/share/velmora/screenshots/.\n"
                 ".SH EXIT STATUS\n",
                 Roff(argv[2]).c_str());
    for (const ExitStatusRow& row : ExitStatusTable)
        std::fprintf(out, ".TP\n.B %d\n%s\n", row.Status, Roff(row.Meaning).c_str());
    std::fprintf(out, ".PP\n\\-\\-help and \\-\\-version end with 0, or 1 when what they "
                      "print cannot be written.\n"
                      ".SH COPYRIGHT\n"
                      "Velmora is free software: you may share it and change it under the GNU "
                      "General Public License, version 2 or any later version. It comes with no "
                      "warranty.\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
