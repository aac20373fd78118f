// The test platform's own rules: the virtual clock, the refresh grid, the key script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/ddraw.h"
#include "platform/dsound.h"
#include "platform/files.h"
#include "platform/mmsystem.h"
#include "platform/input.h"
#include "platform/test/test_platform.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace {

std::int64_t Counter() {
    std::int64_t c = 0;
    QueryPerformanceCounter(&c);
    return c;
}

TEST(VirtualClock, EveryReadMovesOnSoABusyWaitEnds) {
    TestPlatformStart({});
    std::int64_t frequency = 0;
    ASSERT_EQ(QueryPerformanceFrequency(&frequency), 1);
    std::int64_t start = Counter();
    std::int64_t reads = 0;
    while (Counter() - start < frequency / 100)
        ++reads; // spin for 10 ms
    EXPECT_GT(reads, 100);
    EXPECT_LT(reads, 100000);
    short before = GetAsyncKeyState(VK_SPACE);
    EXPECT_EQ(before, 0);
    EXPECT_GT(Counter(), start + frequency / 100) << "key polls move the clock too";
}

TEST(VirtualClock, FlipsLandOnTheRefreshGrid) {
    TestOptions o;
    o.refreshRate = 50;
    TestPlatformStart(o);
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    dd->SetCooperativeLevel(reinterpret_cast<HWND>(1), DDSCL_EXCLUSIVE);
    dd->SetDisplayMode(640, 480, 16);
    DDSURFACEDESC desc{};
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    TestSleep(0.005);
    primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(TestNowNs(), 20000000);
    primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(TestNowNs(), 40000000) << "a flip right on a refresh waits for the next one";
    TestSleep(0.0301);
    primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(TestNowNs(), 80000000);
    primary->Release();
    dd->Release();
}

TEST(VirtualClock, ScriptedKeysAndWindowEventsHappenAtTheirTimes) {
    TestOptions o;
    std::string error;
    ASSERT_TRUE(
        ParseScript("0.010 SPACE down\n0.020 SPACE up\n0.030 focus lost\n", o.script, error));
    TestPlatformStart(o);
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0);
    TestSleep(0.010);
    EXPECT_LT(GetAsyncKeyState(VK_SPACE), 0);
    TestSleep(0.010);
    EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0);
    MSG msg{};
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), 0);
    TestSleep(0.010);
    ASSERT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), 1);
    EXPECT_EQ(msg.message, WM_ACTIVATEAPP);
    EXPECT_EQ(msg.wParam, 0u);
}

TEST(VirtualClock, APlayerBesideTheScriptHoldsKeysOnEveryPoll) {
    TestOptions o;
    std::string error;
    ASSERT_TRUE(
        ParseScript("0.010 SPACE down\n0.020 SPACE up\n0.030 focus lost\n", o.script, error));
    TestPlatformStart(o);
    std::vector<std::int64_t> polls;
    TestSetKeyboardHook([&](std::int64_t now) {
        polls.push_back(now);
        // The player holds SPACE from 5 ms to 15 ms and LEFT from 25 ms on.
        TestSetKey(VK_SPACE, now >= 5000000 && now < 15000000);
        if (now >= 25000000) TestSetKey(VK_LEFT, true);
    });
    auto held = [](int key) { return GetAsyncKeyState(key) < 0; };
    EXPECT_FALSE(held(VK_SPACE));
    TestSleep(0.006);
    EXPECT_TRUE(held(VK_SPACE)) << "the player's own key";
    TestSleep(0.006);
    EXPECT_TRUE(held(VK_SPACE)) << "both hold it";
    TestSleep(0.006);
    EXPECT_TRUE(held(VK_SPACE)) << "the player let go, the script still holds it";
    TestSleep(0.008);
    EXPECT_TRUE(held(VK_LEFT));
    EXPECT_FALSE(held(VK_SPACE));
    ASSERT_EQ(polls.size(), 6u);
    EXPECT_EQ(polls[0], 1000) << "the hook sees the clock as the poll moved it";
    TestSetKeyboardHook(nullptr);
    TestSleep(0.010);
    EXPECT_FALSE(held(VK_LEFT)) << "losing the focus lets go of the player's keys too";
    TestPlatformStart({});
    TestSetKey(VK_UP, true);
    EXPECT_EQ(polls.size(), 6u);
    EXPECT_TRUE(held(VK_UP));
    EXPECT_EQ(polls.size(), 6u) << "a new run forgets the hook";
}

TEST(VirtualClock, UntilEndsTheRunFromInsideAWait) {
    TestOptions o;
    o.untilSeconds = 0.5;
    TestPlatformStart(o);
    EXPECT_THROW(
        {
            while (GetAsyncKeyState(VK_SPACE) >= 0) {
            }
        },
        TestStop);
    EXPECT_EQ(TestNowNs(), 500000000);
}

TEST(Script, ReadsEveryKindOfLineAndSortsByTime) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(ParseScript("# a comment\n\n2.5 focus gained   # trailing comment\n"
                            "1 LEFT down\n1.25 Z up\n3 close\n0.5 focus lost\n",
                            events, error))
        << error;
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, ScriptEvent::FocusLost);
    EXPECT_EQ(events[1].virtualKey, VK_LEFT);
    EXPECT_EQ(events[1].timeNs, 1000000000);
    EXPECT_EQ(events[2].virtualKey, 'Z');
    EXPECT_EQ(events[2].kind, ScriptEvent::KeyUp);
    EXPECT_EQ(events[3].kind, ScriptEvent::FocusGained);
    EXPECT_EQ(events[4].kind, ScriptEvent::Close);
}

TEST(Script, FaultsNameTheLineAndWhatWasExpected) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"1 UP down\nsoon UP down\n",
         "line 2: expected a time in seconds (0 or more), found 'soon'"},
        {"-1 UP down\n", "line 1: expected a time in seconds (0 or more), found '-1'"},
        {"1 up down\n", "line 1: expected a key (UP DOWN LEFT RIGHT SPACE ESC ALT TAB ENTER, "
                        "F1..F12 or A..Z), 'focus' or 'close', found 'up'"},
        {"1 F13 down\n", "line 1: expected a key (UP DOWN LEFT RIGHT SPACE ESC ALT TAB ENTER, "
                         "F1..F12 or A..Z), 'focus' or 'close', found 'F13'"},
        {"1 UP downwardsandonwardsforeverandever\n",
         "line 1: expected 'down' or 'up' after the key, found 'downwardsandonwardsforev...'"},
        {"\xEF\xBB\xBF"
         "1 UP down\n",
         "line 1: a byte-order mark; the script is plain ASCII text: '\\xEF\\xBB\\xBF1 UP down'"},
        {"1 UP\n", "line 1: expected 'down' or 'up' after the key, found the end of the line"},
        {"1 focus away\n", "line 1: expected 'lost' or 'gained' after 'focus', found 'away'"},
        {"1 close now\n", "line 1: expected nothing after 'close', found 'now'"},
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

TEST(Script, TheWindowsKeysPostWhatTheDesktopPosts) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(
        ParseScript("0 ALT down\n0 TAB down\n0 ENTER down\n0 F1 down\n0 F12 down\n", events, error))
        << error;
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].virtualKey, VK_MENU);
    EXPECT_EQ(events[1].virtualKey, VK_TAB);
    EXPECT_EQ(events[2].virtualKey, VK_RETURN);
    EXPECT_EQ(events[3].virtualKey, VK_F1);
    EXPECT_EQ(events[4].virtualKey, VK_F12);
}

} // namespace

namespace {

// Sound and music leave their traces in the record, named by the file they came from.
TEST(Recorder, SoundBuffersAndMusicCommandsAreRecordedWithTheirFiles) {
    TestPlatformStart({});
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    std::FILE* f = OpenGameFile(SKIRMO_DATA_DIR "/pickup.voc");
    ASSERT_NE(f, nullptr);
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC),
                      DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME, 1000, 0,
                      &format};
    // A file opened and closed meanwhile (the music reads its piece whole) does not name the
    // buffer: the file still open does.
    EXPECT_EQ(mciSendStringA("open " SKIRMO_DATA_DIR "/DREAMS.MID type sequencer alias jazz",
                             nullptr, 0, nullptr),
              0u);
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    char header[20];
    EXPECT_EQ(std::fread(header, 1, sizeof header, f), sizeof header) << "reads as a file";
    std::fclose(f);
    // A RIFF file is open from mmioOpenA to mmioClose; after that nothing names a new buffer.
    HMMIO riff = mmioOpenA(SKIRMO_DATA_DIR "/terrible.wav", nullptr, MMIO_READ);
    ASSERT_NE(riff, nullptr);
    IDirectSoundBuffer* fromRiff = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &fromRiff, nullptr), DS_OK);
    mmioClose(riff, 0);
    IDirectSoundBuffer* fromNothing = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &fromNothing, nullptr), DS_OK);
    fromRiff->Play(0, 0, 0);
    fromNothing->Play(0, 0, 0);
    buffer->SetFrequency(10000);
    buffer->SetVolume(-600);
    buffer->Stop();
    buffer->Play(0, 0, 0);
    mciSendStringA("close jazz", nullptr, 0, nullptr);
    EXPECT_NE(mciSendStringA("open NOSUCH.MID type sequencer alias jazz", nullptr, 0, nullptr), 0u);
    ds->Release(); // the buffers go with it

    std::string log = TestEventsAsJsonLines();
    std::string file = JsonEscape(SKIRMO_DATA_DIR "/pickup.voc");
    EXPECT_NE(log.find("\"event\":\"sound\",\"op\":\"stop\",\"file\":\"" + file +
                       "\",\"frequency\":10000,\"volume\":-600}"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\"event\":\"sound\",\"op\":\"play\",\"file\":\"" + file + "\""),
              std::string::npos);
    EXPECT_NE(log.find("\"op\":\"play\",\"file\":\"" + JsonEscape(SKIRMO_DATA_DIR "/terrible.wav") +
                       "\""),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\"op\":\"play\",\"file\":\"\""), std::string::npos) << log;
    EXPECT_NE(log.find("\"event\":\"mci\",\"command\":\"open NOSUCH.MID type sequencer alias "
                       "jazz\",\"result\":\"275\""),
              std::string::npos)
        << log;
}

// A buffer is named by the file its samples came from, not by the file read last.
TEST(Recorder, ABufferIsNamedByTheFileHoldingItsSamples) {
    TestPlatformStart({});
    std::vector<std::uint8_t> pickup, music;
    ASSERT_EQ(ReadGameFile(SKIRMO_DATA_DIR "/pickup.voc", 1 << 20, pickup), GameFileRead::Read);
    ASSERT_EQ(ReadGameFile(SKIRMO_DATA_DIR "/DREAMS.MID", 1 << 20, music), GameFileRead::Read);
    ASSERT_GT(pickup.size(), 600u);
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 500, 0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    void* region = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, 0), DS_OK);
    std::copy(pickup.begin() + 100, pickup.begin() + 600, static_cast<std::uint8_t*>(region));
    ASSERT_EQ(buffer->Unlock(region, bytes, nullptr, 0), DS_OK);
    buffer->Play(0, 0, 0);
    ds->Release();
    EXPECT_NE(TestEventsAsJsonLines().find("\"file\":\"" +
                                           JsonEscape(SKIRMO_DATA_DIR "/pickup.voc") + "\""),
              std::string::npos)
        << TestEventsAsJsonLines();
}

// A new run starts from nothing, whatever the last one left behind.
TEST(Recorder, ANewRunForgetsEverythingTheLastOneHeld) {
    TestPlatformStart({});
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    dd->SetCooperativeLevel(reinterpret_cast<HWND>(1), DDSCL_EXCLUSIVE);
    dd->SetDisplayMode(640, 480, 16);
    DDSURFACEDESC desc{};
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 32;
    IDirectDrawSurface* tile = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &tile, nullptr), DD_OK);
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    DSBUFFERDESC bufferDesc{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 100, 0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&bufferDesc, &buffer, nullptr), DS_OK);
    PostMessageA(nullptr, WM_CLOSE, 0, 0);
    PostQuitMessage(3);
    ASSERT_EQ(mciSendStringA("open " SKIRMO_DATA_DIR "/DREAMS.MID type sequencer alias jazz",
                             nullptr, 0, nullptr),
              0u);

    TestPlatformStart({});
    EXPECT_EQ(TestLiveSurfaces(), 0);
    EXPECT_EQ(SoundBufferCount(), 0);
    MSG msg{};
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), 0) << "no message, no quit";
    EXPECT_NE(mciSendStringA("play jazz", nullptr, 0, nullptr), 0u) << "the alias is gone";
    IDirectDraw* again = nullptr;
    EXPECT_EQ(DirectDrawCreate(nullptr, &again, nullptr), DD_OK);
    IDirectSound* soundAgain = nullptr;
    EXPECT_EQ(DirectSoundCreate(nullptr, &soundAgain, nullptr), DS_OK);
    TestPlatformStart({});
}

TEST(Recorder, NoSoundOutputMeansNoSoundService) {
    TestOptions o;
    o.failure.step = TestFailure::Sound;
    TestPlatformStart(o);
    IDirectSound* ds = reinterpret_cast<IDirectSound*>(1);
    EXPECT_NE(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(ds, nullptr);
    EXPECT_STREQ(SoundOutputError(), "no sound device (this test run makes the sound output fail)");
    TestPlatformStart({});
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_STREQ(SoundOutputError(), "") << "a success clears the last reason";
    IDirectSound* second = nullptr;
    EXPECT_NE(DirectSoundCreate(nullptr, &second, nullptr), DS_OK);
    EXPECT_STREQ(SoundOutputError(), "the sound output is open already");
    ds->Release();
}

} // namespace
