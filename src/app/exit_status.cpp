// exit_status.cpp -- the failure the program ends with
#include "app/exit_status.h"

#include "app/game_globals.h"

std::int32_t EndingFailure = ExitPlayerEnded;

static const GlobalsReset Reset([] { EndingFailure = ExitPlayerEnded; });

void NoteEndingFailure(ExitStatus status) {
    if (EndingFailure == ExitPlayerEnded) EndingFailure = status;
}
