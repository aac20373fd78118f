// texts.h -- the words of ours that the game's screens and messages carry
//
// Everything a player reads that is not fixed by the game's own screens lives here, so that
// the support address or a credit line is changed in one place.
#pragma once

// Where players report trouble; every failure message names it.
extern const char* const SupportAddress;

// The start-up dialog's three notice lines: the licence of this free release, where newer
// versions are, and the hi-color note asking for fault reports by e-mail.
extern const char* const NoticeLines[3];

// The failure message for the cloud picture, before the support address.
extern const char* const CloudBitmapMessage;

// The credits page's lines that are ours to word (name, friends, music sources, host).
extern const char* const CreditsMakerName;
extern const char* const CreditsFriends[4];
extern const char* const CreditsMusicSources[3];
extern const char* const CreditsTitleMusicFriend;
extern const char* const CreditsHostLine;

// The thanks page's web address (drawn after four spaces) and the congratulations page's
// remark that the game is free.
extern const char* const ThanksWebAddress;
extern const char* const CongratulationsRemark;
