// texts.cpp -- the words of ours, in one place
#include "texts.h"

// The .example domain is reserved for exactly this kind of use: it reads like an address and
// reaches nobody by accident.
// A macro so that the notice below can join it into its line at compile time.
#define SUPPORT_ADDRESS "help@velmora.example"
const char* const SupportAddress = SUPPORT_ADDRESS;

const char* const NoticeLines[3] = {
    "Velmora is free software: share it and change it under the GNU GPL, version 2 or later.",
    "Newer versions are posted at www.velmora.example whenever they are ready.",
    "This is the hi-color version. Please report faults by e-mail to " SUPPORT_ADDRESS,
};

const char* const CloudBitmapMessage =
    "couldn't load the cloud bitmap CLOUD.BMP, please check the directory skirmo.exe is in, "
    "if the file isn't there, download skirmo.zip again, if it is, contact ";

const char* const CreditsMakerName = "The Velmora workshop";
const char* const CreditsFriends[4] = {
    "The night-shift playtesters",
    "Everyone on the Velmora mailing list",
    "The folks who lent us a joystick and never asked for it back",
    "And you, for flying this far",
};
const char* const CreditsMusicSources[3] = {
    "www.velmora.example/music - Dreamfield, Crosswind Run",
    "www.velmora.example/music - Black Anvil, Jumpgate",
    "www.velmora.example/music - Last Light Over the Zone",
};
const char* const CreditsTitleMusicFriend =
    "The title theme by a friend of the workshop, with thanks";
const char* const CreditsHostLine = "www.velmora.example - free pages, free game";

const char* const ThanksWebAddress = "www.velmora.example";
const char* const CongratulationsRemark = "(Then again, this game didn't cost you a thing either!)";
