// The test platform's own rules: scripted keys and the pad on the virtual clock, the script's
// lines, and how the recorder names the sounds and what it does without a sound output.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "platform/emulation/backend.h"
#include "platform/api/dsound.h"
#include "platform/api/files.h"
#include "platform/emulation/gamepad.h"
#include "platform/api/mmsystem.h"
#include "platform/api/input.h"
#include "platform/test/test_platform.h"
#include "platform/api/window.h"

namespace {

// A pad holds the keys the game polls: the d-pad and the left stick past half way turn and change
// speed, A fires, Start pauses, Back asks to quit, and a button press posts its key's message. A
// question (Y and N polled in a loop) takes only a press made while it asks: A held to fire when
// the question comes answers nothing until it is pressed again, and A that answered is no Space
// (no page's end) until it is let go.
TEST(Pad, HoldsTheKeysTheGamePollsAndAQuestionTakesOnlyAFreshPress) {
    TestOptions o;
    std::string error;
    ASSERT_TRUE(ParseScript("0.01 PAD_STICK_LEFT down\n0.02 PAD_STICK_LEFT up\n"
                            "0.02 PAD_DOWN down\n0.03 PAD_DOWN up\n"
                            "0.03 PAD_A down\n0.03 PAD_START down\n0.03 PAD_BACK down\n"
                            "0.05 PAD_A up\n0.06 PAD_A down\n0.07 PAD_B down\n"
                            "0.6 PAD_STICK_DOWN down\n0.7 focus lost\n",
                            o.script, error))
        << error;
    TestPlatformStart(o);
    HWND window = TestOpenWindow(640, 480);
    auto held = [](int key) { return GetAsyncKeyState(key) < 0; };
    auto at = [](double t) { TestSleep(t - TestNowSeconds()); };
    at(0.015);
    EXPECT_TRUE(held(VK_LEFT));
    EXPECT_FALSE(held(VK_RIGHT) || held(VK_UP) || held(VK_DOWN) || held(VK_SPACE));
    at(0.025);
    EXPECT_TRUE(held(VK_DOWN));
    EXPECT_FALSE(held(VK_LEFT)) << "the stick let go";
    at(0.035);
    EXPECT_TRUE(held(VK_SPACE) && held('P') && held(VK_ESCAPE));
    EXPECT_FALSE(held(VK_DOWN));
    EXPECT_FALSE(held('Y')) << "A was held before the question";
    at(0.055);
    EXPECT_FALSE(held('Y'));
    at(0.065);
    EXPECT_TRUE(held('Y')) << "A pressed anew during the question";
    at(0.075);
    EXPECT_TRUE(held('N')) << "B pressed during the question";
    at(0.5);
    EXPECT_FALSE(held('Y')) << "a new question: A was already held";
    EXPECT_FALSE(held(VK_SPACE)) << "A answered the last question";
    at(0.65);
    EXPECT_TRUE(held(VK_DOWN));
    at(0.75);
    EXPECT_FALSE(held(VK_DOWN) || held(VK_SPACE)) << "losing the focus lets go of the pad";
    std::vector<WPARAM> keys;
    for (MSG m{}; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
        if (m.message == WM_KEYDOWN) keys.push_back(m.wParam);
    const std::vector<WPARAM> posted = {VK_DOWN, VK_SPACE, 'P', VK_ESCAPE, VK_SPACE, 'N'};
    EXPECT_EQ(keys, posted) << "the buttons' presses, the stick's none";
    DestroyWindow(window);
    // The stick counts from half way.
    PadInputs half;
    half.stickX = -PadStickThreshold + 1;
    half.stickY = PadStickThreshold;
    SetPadInputs(half);
    EXPECT_FALSE(held(VK_LEFT));
    EXPECT_TRUE(held(VK_DOWN));
    half.stickX = -PadStickThreshold;
    half.stickY = PadStickThreshold - 1;
    SetPadInputs(half);
    EXPECT_TRUE(held(VK_LEFT));
    EXPECT_FALSE(held(VK_DOWN));
    ResetPad();
}

TEST(Script, ReadsEveryKindOfLineAndSortsByTime) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(ParseScript("# a comment\n\n2.5 focus gained   # trailing comment\n"
                            "1 LEFT down\n1.25 Z up\n3 close\n0.5 focus lost\n"
                            "4 ALT down\n4 TAB down\n4 ENTER down\n4 F1 down\n4 F12 down\n"
                            "5 signal INT\n6 PAD_BACK down\n6 PAD_STICK_UP up\n",
                            events, error))
        << error;
    ASSERT_EQ(events.size(), 13u);
    EXPECT_EQ(events[0].kind, ScriptEvent::FocusLost);
    EXPECT_EQ(events[1].virtualKey, VK_LEFT);
    EXPECT_EQ(events[1].timeNs, 1000000000);
    EXPECT_EQ(events[2].virtualKey, 'Z');
    EXPECT_EQ(events[2].kind, ScriptEvent::KeyUp);
    EXPECT_EQ(events[3].kind, ScriptEvent::FocusGained);
    EXPECT_EQ(events[4].kind, ScriptEvent::Close);
    // The desktop's own keys post what the desktop posts.
    const int desktop[] = {VK_MENU, VK_TAB, VK_RETURN, VK_F1, VK_F12};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(events[std::size_t(5 + i)].virtualKey, desktop[i]) << i;
    EXPECT_EQ(events[10].kind, ScriptEvent::Signal);
    EXPECT_EQ(events[10].signal, SIGINT);
    EXPECT_EQ(events[11].kind, ScriptEvent::PadDown);
    EXPECT_EQ(events[11].pad, PadBack);
    EXPECT_EQ(events[12].kind, ScriptEvent::PadUp);
    EXPECT_EQ(events[12].pad, PadStickUp);
}

TEST(Script, FaultsNameTheLineAndWhatWasExpected) {
    const std::string Key = "line 1: expected a key (UP DOWN LEFT RIGHT SPACE ESC ALT TAB ENTER, "
                            "F1..F12 or A..Z), a pad's (PAD_A PAD_B PAD_BACK PAD_START PAD_UP "
                            "PAD_DOWN PAD_LEFT PAD_RIGHT PAD_STICK_...), 'focus', 'close' or "
                            "'signal', found ";
    struct Case {
        const char* text;
        std::string error;
    } cases[] = {
        {"1 UP down\nsoon UP down\n",
         "line 2: expected a time in seconds (0 or more), found 'soon'"},
        {"-1 UP down\n", "line 1: expected a time in seconds (0 or more), found '-1'"},
        {"1 up down\n", Key + "'up'"},
        {"1 F13 down\n", Key + "'F13'"},
        {"1 UP downwardsandonwardsforeverandever\n",
         "line 1: expected 'down' or 'up' after the key, found 'downwardsandonwardsforev...'"},
        {"\xEF\xBB\xBF"
         "1 UP down\n",
         "line 1: a byte-order mark; the script is plain ASCII text: '\\xEF\\xBB\\xBF1 UP down'"},
        {"1 UP\n", "line 1: expected 'down' or 'up' after the key, found the end of the line"},
        {"1 focus away\n", "line 1: expected 'lost' or 'gained' after 'focus', found 'away'"},
        {"1 close now\n", "line 1: expected nothing after 'close', found 'now'"},
        {"1 signal KILL\n", "line 1: expected 'TERM', 'INT' or 'HUP' after 'signal', found 'KILL'"},
        {"1 P down please\n", "line 1: expected the end of the line, found 'please'"},
    };
    for (const Case& c : cases) {
        std::vector<ScriptEvent> events;
        std::string error;
        EXPECT_FALSE(ParseScript(c.text, events, error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
    // A NUL byte, and a line too long to be meant: the excerpt stays short.
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(ParseScript(std::string("1 UP down\n2 UP\0 up\n", 20), events, error));
    EXPECT_EQ(error, "line 2: a NUL byte: '2 UP\\x00 up'");
    EXPECT_FALSE(ParseScript("1 UP down\n# " + std::string(5000, 'x') + "\n", events, error));
    EXPECT_EQ(error, "line 2: longer than 4096 bytes: '# xxxxxxxxxxxxxxxxxxxxxx...'");
    EXPECT_TRUE(ParseScript("1 UP down # " + std::string(4000, 'x') + "\n", events, error));
}

// A static 8-bit mono buffer of this many bytes.
IDirectSoundBuffer* Buffer(IDirectSound* ds, DWORD bytes) {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC),
                      DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME, bytes, 0,
                      &format};
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    return buffer;
}

// Sound buffers are named in the record by the newest of the last files read whole that holds
// their samples, looked for when the samples are written: not simply by the file read last (a
// piece of music, here), and by nothing when no file holds them.
TEST(Recorder, SoundBuffersAreNamedByTheFileTheirSamplesCameFrom) {
    TestPlatformStart({});
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    std::vector<std::uint8_t> boom, pickup;
    ASSERT_EQ(ReadGameFile(SKIRMO_DATA_DIR "/boom.voc", 1 << 20, boom), GameFileRead::Read);
    ASSERT_EQ(ReadGameFile(SKIRMO_DATA_DIR "/pickup.voc", 1 << 20, pickup), GameFileRead::Read);
    EXPECT_EQ(mciSendStringA("open " SKIRMO_DATA_DIR "/DREAMS.MID type sequencer alias jazz",
                             nullptr, 0, nullptr),
              0u);
    ASSERT_GT(boom.size(), 600u);
    auto filled = [&](const std::vector<std::uint8_t>& samples) {
        IDirectSoundBuffer* b = Buffer(ds, DWORD(samples.size()));
        void* region = nullptr;
        DWORD bytes = 0;
        EXPECT_EQ(b->Lock(0, 0, &region, &bytes, nullptr, nullptr, 0), DS_OK);
        std::copy(samples.begin(), samples.end(), static_cast<std::uint8_t*>(region));
        EXPECT_EQ(b->Unlock(region, bytes, nullptr, 0), DS_OK);
        return b;
    };
    filled({boom.begin() + 100, boom.begin() + 600})->Play(0, 0, 0);
    std::vector<std::uint8_t> nowhere(500);
    for (std::size_t i = 0; i < nowhere.size(); ++i)
        nowhere[i] = std::uint8_t(i * 37 + i / 7);
    filled(nowhere)->Play(0, 0, 0);
    IDirectSoundBuffer* fromPickup = filled(pickup);
    fromPickup->SetFrequency(10000);
    fromPickup->SetVolume(-600);
    fromPickup->Stop();
    ds->Release(); // the buffers go with it

    std::vector<std::string> heard;
    for (const TestEvent& e : TestEvents())
        if (e.kind == "sound")
            heard.push_back(e.op + " " + e.file + " " + std::to_string(e.frequency) + " " +
                            std::to_string(e.volume));
    EXPECT_EQ(heard, (std::vector<std::string>{"play " SKIRMO_DATA_DIR "/boom.voc 11025 0",
                                               "play  11025 0",
                                               "stop " SKIRMO_DATA_DIR "/pickup.voc 10000 -600"}));
}

TEST(Recorder, NoSoundOutputMeansNoSoundService) {
    TestOptions o;
    o.failure.step = TestFailure::Sound;
    TestPlatformStart(o);
    IDirectSound* ds = reinterpret_cast<IDirectSound*>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    EXPECT_STREQ(SoundOutputError(), "no sound device (this test run makes the sound output fail)");
    // It failed without holding on to anything: with the output back, creation works.
    TestPlatformStart({});
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_STREQ(SoundOutputError(), "") << "a success clears the last reason";
    IDirectSound* second = nullptr;
    EXPECT_EQ(DirectSoundCreate(nullptr, &second, nullptr), DSERR_NODRIVER);
    EXPECT_STREQ(SoundOutputError(), "the sound output is open already");
    ds->Release();
}

} // namespace
