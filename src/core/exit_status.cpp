// exit_status.cpp -- the failure the program ends with
#include "core/exit_status.h"

#include "core/game_globals.h"

std::int32_t EndingFailure = ExitPlayerEnded;

static const GlobalsReset Reset(EndingFailure);

void NoteEndingFailure(ExitStatus status) {
    if (EndingFailure == ExitPlayerEnded) EndingFailure = status;
}
