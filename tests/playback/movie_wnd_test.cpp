// The movie window under Wine on the test display: the first frame after
// loading, drawing geometry, playback in step with the sound clock, seeks,
// steps and key-only seeks, the end of the movie, the system clock without
// sound, sound-only movies, and close racing the end of the movie.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "QRVAviAudio.h"
#include "QRVMovieWnd.h"
#include "TrackMovies.h"
#include "movie_host.h"
#include "numbered_movies.h"

namespace {

constexpr COLORREF MWT_BACKGROUND = RGB(0x10, 0x20, 0x30);
constexpr int MWT_HOST_CX = 160;
constexpr int MWT_HOST_CY = 120;

// A host window with a movie window filling it.
class MovieWindowTest : public ::testing::Test {
protected:
    void Create(int cx = MWT_HOST_CX, int cy = MWT_HOST_CY, DWORD dwOptions = 0)
    {
        m_pHost = std::make_unique<CMovieHost>(cx, cy);
        m_pMovie = std::make_unique<QRVMovieWnd>();
        m_pMovie->m_crBackground = MWT_BACKGROUND;
        m_pMovie->SetLayoutRect(RECT{0, 0, cx, cy});
        ASSERT_TRUE(m_pMovie->CreateMovieWindow(m_pHost->Wnd()));
        m_pMovie->SetOptions(dwOptions | MWO_NOTIFY_STATE | MWO_NOTIFY_POSITION);
    }
    void TearDown() override
    {
        m_pMovie.reset();
        m_pHost.reset();
    }
    void Write(const CTestFile& file, const CNumberedMovie& movie)
    {
        ASSERT_EQ(WriteNumberedMovie(file.WidePath(), movie), "");
    }
    int FrameAt(int x, int y) { return FrameOfColor(ReadWindowPixel(m_pMovie->m_hWnd, x, y)); }
    // Waits until the screen at (x, y) shows frame n.
    bool AwaitFrame(int x, int y, int n)
    {
        return m_pHost->PumpUntil([&] { return FrameAt(x, y) == n; });
    }
    bool AwaitState(LPARAM nState, size_t nFrom = 0)
    {
        return m_pHost->PumpUntil([&] { return m_pHost->HasState(nState, nFrom); });
    }

    std::unique_ptr<CMovieHost> m_pHost;
    std::unique_ptr<QRVMovieWnd> m_pMovie;
};

TEST_F(MovieWindowTest, LoadingShowsTheFirstFrameCentredOnTheBackground)
{
    CTestFile file(L"first.avi");
    Write(file, CNumberedMovie{});
    Create();
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    EXPECT_EQ(m_pMovie->GetStoredState(), MS_READY);
    EXPECT_TRUE(AwaitState(MS_READY));
    EXPECT_EQ(m_pMovie->GetLength(), 2000);     // 40 frames at 20 per second
    EXPECT_EQ(m_pMovie->GetTickPeriod(), 25u);  // half a frame
    ASSERT_TRUE(AwaitFrame(80, 60, 0));
    EXPECT_EQ(ReadWindowPixel(m_pMovie->m_hWnd, 47, 36), MWT_BACKGROUND);  // 64 x 48 at 48, 36
    EXPECT_EQ(FrameAt(48, 36), 0);
    EXPECT_EQ(FrameAt(111, 83), 0);
    EXPECT_EQ(ReadWindowPixel(m_pMovie->m_hWnd, 112, 83), MWT_BACKGROUND);
    EXPECT_EQ(ReadWindowPixel(m_pMovie->m_hWnd, 111, 84), MWT_BACKGROUND);

    m_pMovie->CloseMovie();
    EXPECT_EQ(m_pMovie->GetStoredState(), MS_CLOSED);
    EXPECT_TRUE(
        m_pHost->PumpUntil([&] { return ReadWindowPixel(m_pMovie->m_hWnd, 80, 60) == MWT_BACKGROUND; }));
}

TEST_F(MovieWindowTest, NamesWithAnotherThreeLetterExtensionAreNotOpened)
{
    Create();
    EXPECT_FALSE(m_pMovie->OpenMovie(L"clip.wmv"));
    EXPECT_FALSE(m_pMovie->OpenMovie(nullptr));
    EXPECT_EQ(m_pMovie->GetStoredState(), MS_CLOSED);
}

struct CDrawCase {
    int nMovieCx, nMovieCy, nWndCx, nWndCy;
    DWORD dwOptions;
    int x, y, cx, cy;  // where the picture must be
};

class MovieDrawingTest : public MovieWindowTest, public ::testing::WithParamInterface<CDrawCase> {};

TEST_P(MovieDrawingTest, PictureSitsWhereItBelongsWithBackgroundBorders)
{
    const CDrawCase& c = GetParam();
    CTestFile file(L"draw.avi");
    CNumberedMovie movie;
    movie.nWidth = c.nMovieCx;
    movie.nHeight = c.nMovieCy;
    movie.nFrames = 1;
    Write(file, movie);
    Create(c.nWndCx, c.nWndCy, c.dwOptions);
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    ASSERT_TRUE(AwaitFrame(c.x, c.y, 0));
    EXPECT_EQ(FrameAt(c.x + c.cx - 1, c.y + c.cy - 1), 0);
    HWND hWnd = m_pMovie->m_hWnd;
    if (c.x > 0) {
        EXPECT_EQ(ReadWindowPixel(hWnd, c.x - 1, c.y), MWT_BACKGROUND);
        EXPECT_EQ(ReadWindowPixel(hWnd, 0, c.y), MWT_BACKGROUND);
    }
    if (c.x + c.cx < c.nWndCx) {
        EXPECT_EQ(ReadWindowPixel(hWnd, c.x + c.cx, c.y), MWT_BACKGROUND);
    }
    if (c.y > 0) {
        EXPECT_EQ(ReadWindowPixel(hWnd, c.x, c.y - 1), MWT_BACKGROUND);
    }
    if (c.y + c.cy < c.nWndCy) {
        EXPECT_EQ(ReadWindowPixel(hWnd, c.x, c.y + c.cy), MWT_BACKGROUND);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MovieDrawingTest,
                         ::testing::Values(
                             // centred at its own size
                             CDrawCase{320, 240, 400, 300, 0, 40, 30, 320, 240},
                             // odd difference: 49 pixels left, 50 right
                             CDrawCase{301, 200, 400, 300, 0, 49, 50, 301, 200},
                             // enlarged to fill
                             CDrawCase{320, 240, 400, 300, MWO_ENLARGE, 0, 0, 400, 300},
                             // shrunk into the window, aspect kept
                             CDrawCase{640, 480, 400, 400, MWO_SHRINK, 0, 50, 400, 300},
                             // larger, not shrunk: from the top left, clipped
                             CDrawCase{200, 150, 160, 120, 0, 0, 0, 160, 120}));

TEST_F(MovieWindowTest, ShownFrameFollowsTheSoundClock)
{
    CTestFile file(L"sound.avi");
    CNumberedMovie movie;
    movie.nFrames = 60;
    movie.bSound = true;
    Write(file, movie);
    Create();
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    ASSERT_NE(m_pMovie->GetAudio(), nullptr);
    m_pMovie->Play();
    ASSERT_TRUE(AwaitState(MS_PLAYING));
    int nChecked = 0;
    int nFirst = -1;
    int nLast = -1;
    int nNotified = 0;
    for (int i = 0; i < 10; ++i) {
        // The next position notification at least 150 ms of movie later.
        ASSERT_TRUE(m_pHost->PumpUntil([&] {
            const auto& note = m_pHost->m_notes.back();
            return note.first == MN_POSITION && note.second >= nNotified + 150;
        }));
        nNotified = static_cast<int>(m_pHost->m_notes.back().second);
        QRVAviAudio* pAudio = m_pMovie->GetAudio();
        if (!pAudio->IsPlaying())
            break;
        // The engine's clock itself, without the player's stall counting.
        const int nSound = pAudio->QRVAudio::GetPosition();
        const int nFrame = FrameAt(80, 60);
        if (nSound < 0 || nFrame < 0)
            continue;
        EXPECT_LE(std::abs(nFrame - nSound / 50), 4) << "frame " << nFrame << " at sound " << nSound << " ms";
        if (nFirst < 0)
            nFirst = nFrame;
        nLast = nFrame;
        ++nChecked;
    }
    EXPECT_GE(nChecked, 5);
    EXPECT_GT(nLast, nFirst);
}

TEST_F(MovieWindowTest, AFinalSeekWhilePlayingKeepsTheSoundAsTheClock)
{
    CTestFile file(L"seek_sound.avi");
    CNumberedMovie movie;
    movie.nFrames = 80;  // 4 s
    movie.bSound = true;
    Write(file, movie);
    Create();
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    QRVAviAudio* pAudio = m_pMovie->GetAudio();
    ASSERT_NE(pAudio, nullptr);
    m_pMovie->Play();
    ASSERT_TRUE(AwaitState(MS_PLAYING));
    ASSERT_TRUE(m_pHost->PumpUntil([&] { return pAudio->QRVAudio::GetPosition() > 100; }));
    int nPos = 2000;
    m_pMovie->Seek(nPos, MW_SEEK_FINAL, MW_SEEK_EXACT, MW_SEEK_MAY_STOP);
    EXPECT_EQ(m_pMovie->GetReportedState(), MS_PLAYING);
    // The sound plays on from the new time.
    EXPECT_TRUE(m_pHost->PumpUntil([&] { return pAudio->QRVAudio::GetPosition() > 2100; }));
    EXPECT_TRUE(pAudio->IsPlaying());
    m_pMovie->CloseMovie();
}

// At 30 fps a frame lasts 33.3 ms: steps of whole milliseconds would stay
// on a frame now and then, and the end position shows the last frame.
TEST_F(MovieWindowTest, EveryStepShowsTheNextFrameAtThirtyFramesASecond)
{
    CTestFile file(L"steps30.avi");
    CNumberedMovie movie;
    movie.nFps = 30;
    movie.nFrames = 120;
    movie.nKeyEvery = 60;
    Write(file, movie);
    Create();
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    m_pMovie->Play();
    m_pMovie->Pause();
    int nPos = m_pMovie->GetLength();
    m_pMovie->Seek(nPos, MW_SEEK_FINAL, MW_SEEK_EXACT, MW_SEEK_MAY_STOP);
    ASSERT_EQ(m_pMovie->GetShownFrame(), 119);
    for (int n = 118; n >= 0; --n) {
        m_pMovie->StepBackward();
        ASSERT_EQ(m_pMovie->GetShownFrame(), n);
    }
    EXPECT_TRUE(AwaitFrame(80, 60, 0));
    for (int n = 1; n < 120; ++n) {
        m_pMovie->StepForward();
        ASSERT_EQ(m_pMovie->GetShownFrame(), n);
    }
    EXPECT_TRUE(AwaitFrame(80, 60, 119));
}

TEST_F(MovieWindowTest, SeeksAndStepsShowTheirFrames)
{
    CTestFile file(L"seek.avi");
    CNumberedMovie movie;
    movie.nKeyEvery = 10;
    Write(file, movie);
    Create();
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    ASSERT_TRUE(AwaitFrame(80, 60, 0));

    // Right after loading, steps do nothing.
    EXPECT_EQ(m_pMovie->StepForward(), MS_READY);
    EXPECT_EQ(m_pMovie->GetPosition(), 0);

    int nPos = 500;
    m_pMovie->Seek(nPos, MW_SEEK_FINAL, MW_SEEK_EXACT, MW_SEEK_MAY_STOP);
    EXPECT_EQ(m_pMovie->GetShownFrame(), 10);
    EXPECT_TRUE(AwaitFrame(80, 60, 10));

    m_pMovie->Play();
    m_pMovie->Pause();
    ASSERT_EQ(m_pMovie->GetStoredState(), MS_PAUSED);
    nPos = 1000;
    m_pMovie->Seek(nPos, MW_SEEK_FINAL, MW_SEEK_EXACT, MW_SEEK_MAY_STOP);
    EXPECT_TRUE(AwaitFrame(80, 60, 20));
    m_pMovie->StepForward();
    EXPECT_EQ(m_pMovie->GetPosition(), 1050);
    EXPECT_TRUE(AwaitFrame(80, 60, 21));
    m_pMovie->StepBackward();
    m_pMovie->StepBackward();
    EXPECT_EQ(m_pMovie->GetPosition(), 950);
    EXPECT_TRUE(AwaitFrame(80, 60, 19));

    nPos = 99999;
    m_pMovie->Seek(nPos, MW_SEEK_FINAL, MW_SEEK_EXACT, MW_SEEK_MAY_STOP);
    EXPECT_EQ(nPos, 2000);
    nPos = -5;
    m_pMovie->Seek(nPos, MW_SEEK_FINAL, MW_SEEK_EXACT, MW_SEEK_MAY_STOP);
    EXPECT_EQ(nPos, 0);
    EXPECT_TRUE(AwaitFrame(80, 60, 0));

    // A drag over a long movie looks at key frames only; the settle timer
    // then shows the exact frame.
    m_pMovie->m_fNotifyGranularity = 500.0f;
    nPos = 1350;
    m_pMovie->Seek(nPos, MW_SEEK_PREVIEW, MW_SEEK_KEY_FRAMES, MW_SEEK_MAY_STOP);
    EXPECT_EQ(m_pMovie->GetShownFrame(), 20);
    EXPECT_TRUE(m_pHost->PumpUntil([&] { return m_pMovie->GetShownFrame() == 27; }));
    EXPECT_TRUE(AwaitFrame(80, 60, 27));
    EXPECT_EQ(m_pMovie->GetPosition(), 1350);
    m_pMovie->CloseMovie();
}

TEST_F(MovieWindowTest, DraggingDuringPlaybackHoldsAndTheFinalSeekResumes)
{
    CTestFile file(L"drag.avi");
    Write(file, CNumberedMovie{});
    Create();
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    m_pMovie->Play();
    int nPos = 700;
    m_pMovie->Seek(nPos, MW_SEEK_PREVIEW, MW_SEEK_KEY_FRAMES, MW_SEEK_MAY_STOP);
    EXPECT_TRUE(m_pMovie->m_bHeldForDrag);
    EXPECT_EQ(m_pMovie->GetReportedState(), MS_SEEKING);
    EXPECT_EQ(m_pMovie->GetPosition(), 700);
    nPos = 800;
    const size_t nFrom = m_pHost->m_notes.size();
    m_pMovie->Seek(nPos, MW_SEEK_FINAL, MW_SEEK_KEY_FRAMES, MW_SEEK_MAY_STOP);
    EXPECT_FALSE(m_pMovie->m_bHeldForDrag);
    EXPECT_TRUE(AwaitState(MS_PLAYING, nFrom));  // timer 98 plays again
    m_pMovie->CloseMovie();
}

struct CEndCase {
    const char* pszName;
    DWORD dwOptions;
};

class MovieEndTest : public MovieWindowTest, public ::testing::WithParamInterface<CEndCase> {};

TEST_P(MovieEndTest, EndOfMovieDoesWhatTheOptionsSay)
{
    const DWORD dwOptions = GetParam().dwOptions;
    CTestFile file(L"end.avi");
    CNumberedMovie movie;
    movie.nFrames = 8;  // 0.4 s
    Write(file, movie);
    CWinApp app;  // its main window receives WM_CLOSE
    Create(MWT_HOST_CX, MWT_HOST_CY, dwOptions);
    app.m_pMainWnd = m_pHost->Wnd();
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    const size_t nFrom = m_pHost->m_notes.size();
    m_pMovie->Play();
    ASSERT_TRUE(AwaitState(MS_STOPPED, nFrom));
    if (dwOptions & MWO_CLOSE_AT_END) {
        EXPECT_TRUE(m_pHost->PumpUntil([&] { return m_pHost->m_nCloses == 1; }));
    } else if (dwOptions & MWO_REPEAT) {
        size_t nStop = nFrom;
        while (!(m_pHost->m_notes[nStop].first == MN_STATE && m_pHost->m_notes[nStop].second == MS_STOPPED))
            ++nStop;
        EXPECT_TRUE(AwaitState(MS_PLAYING, nStop));  // again, on a new worker
        EXPECT_TRUE(AwaitState(MS_STOPPED, nStop + 1));
    } else if (dwOptions & MWO_STAY_AT_END) {
        EXPECT_TRUE(AwaitFrame(80, 60, 7));
        EXPECT_GE(m_pMovie->GetPosition(), 400);
    } else {
        EXPECT_TRUE(AwaitFrame(80, 60, 0));
        EXPECT_EQ(m_pMovie->GetPosition(), 0);
    }
    if (!(dwOptions & MWO_CLOSE_AT_END)) {
        EXPECT_EQ(m_pHost->m_nCloses, 0);
    }
    m_pMovie->CloseMovie();
    app.m_pMainWnd = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Options, MovieEndTest,
                         ::testing::Values(CEndCase{"Rewind", 0}, CEndCase{"StayAtEnd", MWO_STAY_AT_END},
                                           CEndCase{"Repeat", MWO_REPEAT},
                                           CEndCase{"CloseAtEnd", MWO_CLOSE_AT_END}),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(MovieWindowTest, MovieWithoutSoundRunsOnTheSystemClock)
{
    CTestFile file(L"silent.avi");
    CNumberedMovie movie;
    movie.nFrames = 16;  // 0.8 s
    Write(file, movie);
    Create(MWT_HOST_CX, MWT_HOST_CY, MWO_STAY_AT_END);
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    EXPECT_EQ(m_pMovie->GetAudio(), nullptr);
    const DWORD dwStart = ::timeGetTime();
    m_pMovie->Play();
    ASSERT_TRUE(AwaitState(MS_STOPPED));
    // The clock cannot have run ahead of the system time.
    EXPECT_GE(static_cast<int>(::timeGetTime() - dwStart) + 60, 800);
    int nPositions = 0;
    int nLast = 0;
    for (const auto& note : m_pHost->m_notes) {
        if (note.first != MN_POSITION)
            continue;
        EXPECT_GE(note.second, nLast);
        nLast = note.second;
        ++nPositions;
    }
    EXPECT_GE(nPositions, 3);
    EXPECT_TRUE(AwaitFrame(80, 60, 15));
}

TEST_F(MovieWindowTest, SoundOnlyMovieEndsAtItsSoundsEnd)
{
    CTestFile file(L"soundonly.avi");
    std::string strPath(file.WidePath().begin(), file.WidePath().end());
    TrackCounterMovie movie;
    movie.nFrames = 22050;  // half a second at 44100 Hz
    movie.bSoundOnly = true;
    ASSERT_EQ(WriteTrackCounterMovie(strPath, movie), "");
    Create(MWT_HOST_CX, MWT_HOST_CY, MWO_STAY_AT_END);
    ASSERT_TRUE(m_pMovie->OpenMovie(file.WidePath().c_str()));
    EXPECT_TRUE(m_pMovie->m_bAudioOnly);
    EXPECT_TRUE(AwaitState(MS_NO_VIDEO));
    EXPECT_EQ(m_pMovie->GetLength(), 500);
    m_pMovie->Play();
    ASSERT_TRUE(AwaitState(MS_STOPPED));
    EXPECT_GE(m_pMovie->GetPosition(), 500);
}

// CloseMovie waits for the worker; a worker at the end of the movie stops
// through the state lock. Hundreds of closes aimed at the end must neither
// hang nor crash.
TEST_F(MovieWindowTest, CloseAndEndOfMovieNeverWaitForEachOther)
{
    CTestFile silent(L"stress_silent.avi");
    CTestFile sound(L"stress_sound.avi");
    CNumberedMovie movie;
    movie.nFrames = 4;  // 0.2 s
    Write(silent, movie);
    movie.bSound = true;
    Write(sound, movie);
    CWinApp app;
    Create();
    app.m_pMainWnd = m_pHost->Wnd();
    const DWORD options[] = {0, MWO_REPEAT, MWO_STAY_AT_END, MWO_CLOSE_AT_END | MWO_REPEAT};
    const int nCycles = 300;
    for (int i = 0; i < nCycles; ++i) {
        m_pMovie->SetOptions(options[i % 4] | MWO_NOTIFY_STATE | MWO_NOTIFY_POSITION);
        const std::wstring& strPath = (i % 3 == 0 ? sound : silent).WidePath();
        ASSERT_TRUE(m_pMovie->OpenMovie(strPath.c_str())) << "cycle " << i;
        m_pMovie->Play();
        int nPos = 200 - (i % 6) * 10;
        m_pMovie->Seek(nPos, MW_SEEK_FINAL, i % 2 == 0 ? MW_SEEK_EXACT : MW_SEEK_KEY_FRAMES,
                       MW_SEEK_MAY_STOP);
        if (i % 2 == 0) {
            // Close the moment the worker's clock reaches the end.
            const int nEnd = m_pMovie->GetLength();
            const DWORD dwStart = ::GetTickCount();
            while (m_pMovie->GetPosition() < nEnd && m_pMovie->GetStoredState() == MS_PLAYING &&
                   ::GetTickCount() - dwStart < 2000) {
            }
        } else {
            m_pHost->PumpFor(static_cast<DWORD>((i * 7) % 40));
        }
        if (i % 5 == 0)
            m_pMovie->Stop(true, false);
        m_pMovie->CloseMovie();
        ASSERT_EQ(m_pMovie->GetStoredState(), MS_CLOSED) << "cycle " << i;
        m_pHost->m_notes.clear();
    }
    app.m_pMainWnd = nullptr;
}

}  // namespace
