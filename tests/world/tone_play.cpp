// Plays a known stereo tone through the wave-out device and waits until the
// device has played it all: left channel 440 Hz, right channel 1000 Hz, half
// of full scale, 16-bit 44100 Hz, 1.5 seconds. tone_test.sh records the
// sound server's output and checks that this tone arrived.
#include <windows.h>
#include <mmsystem.h>
#include <cmath>
#include <cstdio>
#include <vector>

int main()
{
    const int RATE = 44100, SECONDS_X10 = 15;
    const double PI = 3.14159265358979323846;
    const int frames = RATE * SECONDS_X10 / 10;
    std::vector<short> samples(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        samples[2 * i] = static_cast<short>(16384 * std::sin(2 * PI * 440.0 * i / RATE));
        samples[2 * i + 1] = static_cast<short>(16384 * std::sin(2 * PI * 1000.0 * i / RATE));
    }

    WAVEFORMATEX fmt = {};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = 2;
    fmt.nSamplesPerSec = RATE;
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = 4;
    fmt.nAvgBytesPerSec = RATE * 4;

    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT wave = nullptr;
    MMRESULT mr = waveOutOpen(&wave, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT);
    if (mr != MMSYSERR_NOERROR) {
        printf("waveOutOpen failed: %u\n", mr);
        return 2;
    }
    WAVEHDR hdr = {};
    hdr.lpData = reinterpret_cast<LPSTR>(samples.data());
    hdr.dwBufferLength = static_cast<DWORD>(samples.size() * sizeof(short));
    waveOutPrepareHeader(wave, &hdr, sizeof hdr);
    ResetEvent(done);
    mr = waveOutWrite(wave, &hdr, sizeof hdr);
    if (mr != MMSYSERR_NOERROR) {
        printf("waveOutWrite failed: %u\n", mr);
        return 3;
    }
    // The event fires on open, on every finished buffer and on close.
    while (!(hdr.dwFlags & WHDR_DONE)) {
        if (WaitForSingleObject(done, 10000) == WAIT_TIMEOUT) {
            printf("the device never finished the buffer\n");
            return 4;
        }
    }
    // A buffer is reported done once the driver has taken it, which may be
    // before the sound server has played all of it: wait for the position.
    for (int i = 0; i < 500; ++i) {
        MMTIME pos = {};
        pos.wType = TIME_SAMPLES;
        if (waveOutGetPosition(wave, &pos, sizeof pos) != MMSYSERR_NOERROR)
            break;
        if (pos.wType == TIME_SAMPLES && pos.u.sample >= static_cast<DWORD>(frames))
            break;
        Sleep(10);
    }
    waveOutUnprepareHeader(wave, &hdr, sizeof hdr);
    waveOutClose(wave);
    CloseHandle(done);
    printf("played %d frames\n", frames);
    return 0;
}
