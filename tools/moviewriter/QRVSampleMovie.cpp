#include "QRVSampleMovie.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "QRVAviWriter.h"
#include "QRVOpenDmlWriter.h"
#include "QRVCanvas.h"
#include "QRVOutput.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"
#include "QRVTone.h"

namespace {

constexpr uint32_t SMV_MAX_FRAMES = 1000000;

bool ParseInt(const std::string& strText, long nMin, long nMax, long& nValue)
{
    if (strText.empty())
        return false;
    errno = 0;
    char* pEnd = nullptr;
    const long n = std::strtol(strText.c_str(), &pEnd, 10);
    if (errno != 0 || *pEnd != '\0' || n < nMin || n > nMax)
        return false;
    nValue = n;
    return true;
}

bool ParseDouble(const std::string& strText, double fMin, double fMax, double& fValue)
{
    if (strText.empty())
        return false;
    errno = 0;
    char* pEnd = nullptr;
    const double f = std::strtod(strText.c_str(), &pEnd);
    if (errno != 0 || *pEnd != '\0' || !std::isfinite(f) || f < fMin || f > fMax)
        return false;
    fValue = f;
    return true;
}

}  // namespace

uint32_t QRVMovieSettings::FrameCount() const
{
    const double fFrames = std::floor(fSeconds * nFps + 0.5);
    if (!(fFrames >= 1.0))
        return 1;
    return fFrames > SMV_MAX_FRAMES ? SMV_MAX_FRAMES : static_cast<uint32_t>(fFrames);
}

const char* QRVMovieUsage()
{
    return "usage: vistrel-moviewriter OUT.avi [--width W] [--height H] [--bpp 8|16|24|32]\n"
           "         [--fps N] [--seconds S] [--tone HZ|--no-sound] [--rate 22050]\n"
           "         [--sound-bits 8|16] [--channels 1|2] [--keyframe-every N]\n"
           "         [--scene screen|noise|bars|video] [--no-empty-frames]\n"
           "         [--opendml [--no-legacy-index] [--filler-mib N]]\n";
}

bool QRVParseMovieArgs(const std::vector<std::string>& args, QRVMovieSettings& s, std::string& strError)
{
    s = QRVMovieSettings();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        if (strArg.size() < 2 || strArg.compare(0, 2, "--") != 0) {
            if (!s.strOutput.empty()) {
                strError = "more than one output file: " + strArg;
                return false;
            }
            s.strOutput = strArg;
            continue;
        }
        if (strArg == "--no-sound") {
            s.bSound = false;
            continue;
        }
        if (strArg == "--no-empty-frames") {
            s.bEmptyWhenUnchanged = false;
            continue;
        }
        if (strArg == "--opendml") {
            s.bOpenDml = true;
            continue;
        }
        if (strArg == "--no-legacy-index") {
            s.bLegacyIndex = false;
            continue;
        }
        if (i + 1 >= args.size()) {
            strError = "option " + strArg + " needs a value";
            return false;
        }
        const std::string& strValue = args[++i];
        long n = 0;
        bool bOk = true;
        if (strArg == "--width" || strArg == "--height") {
            bOk = ParseInt(strValue, 1, 16383, n);
            (strArg == "--width" ? s.nWidth : s.nHeight) = static_cast<int32_t>(n);
        } else if (strArg == "--bpp") {
            bOk = ParseInt(strValue, 8, 32, n) && (n == 8 || n == 16 || n == 24 || n == 32);
            s.nBitCount = static_cast<int>(n);
        } else if (strArg == "--fps") {
            bOk = ParseInt(strValue, 1, 1000, n);
            s.nFps = static_cast<uint32_t>(n);
        } else if (strArg == "--seconds") {
            bOk = ParseDouble(strValue, 0.001, 3600.0, s.fSeconds);
        } else if (strArg == "--tone") {
            bOk = ParseDouble(strValue, 1.0, 20000.0, s.fToneHz);
            s.bSound = true;
        } else if (strArg == "--rate") {
            bOk = ParseInt(strValue, 1000, 192000, n);
            s.nSampleRate = static_cast<uint32_t>(n);
        } else if (strArg == "--sound-bits") {
            bOk = ParseInt(strValue, 8, 16, n) && (n == 8 || n == 16);
            s.nSoundBits = static_cast<uint16_t>(n);
        } else if (strArg == "--channels") {
            bOk = ParseInt(strValue, 1, 2, n);
            s.nChannels = static_cast<uint16_t>(n);
        } else if (strArg == "--keyframe-every") {
            bOk = ParseInt(strValue, 1, 1000000, n);
            s.nKeyEvery = static_cast<uint32_t>(n);
        } else if (strArg == "--filler-mib") {
            bOk = ParseInt(strValue, 0, 1000, n);
            s.nFillerMiB = static_cast<uint32_t>(n);
        } else if (strArg == "--scene") {
            bOk = QRVMakeScene(strValue) != nullptr;
            s.strScene = strValue;
        } else {
            strError = "unknown option: " + strArg;
            return false;
        }
        if (!bOk) {
            strError = "bad value for " + strArg + ": " + strValue;
            return false;
        }
    }
    if (s.strOutput.empty()) {
        strError = "no output file named";
        return false;
    }
    if (!s.bOpenDml && (!s.bLegacyIndex || s.nFillerMiB != 0)) {
        strError = "--no-legacy-index and --filler-mib need --opendml";
        return false;
    }
    return true;
}

namespace {

bool WriteFiller(QRVAviWriter&, uint32_t)
{
    return false;  // the classic form has no room for filler
}

bool WriteFiller(QRVOpenDmlWriter& writer, uint32_t nBytes)
{
    return writer.WriteFillerSparse(nBytes);
}

// Encodes the frames and interleaves them with sound, into either writer.
template <class Writer>
bool WriteFrames(const QRVMovieSettings& s, const QRVToneFormat& tone, QRVScene& scene,
                 QRVScreenEncoder& encoder, Writer& writer, std::string& strError)
{
    QRVCanvas canvas(s.nWidth, s.nHeight);
    QRVPicture picture;
    std::vector<uint8_t> frame;
    const uint32_t nFrames = s.FrameCount();
    for (uint32_t nFrame = 0; nFrame < nFrames; ++nFrame) {
        // Sound for the frame's time span goes first, then the picture.
        if (s.bSound) {
            const uint64_t nFrom = static_cast<uint64_t>(nFrame) * s.nSampleRate / s.nFps;
            const uint64_t nTo = static_cast<uint64_t>(nFrame + 1) * s.nSampleRate / s.nFps;
            const std::vector<uint8_t> pcm =
                QRVSineTone(tone, s.fToneHz, s.fToneAmplitude, nFrom, static_cast<uint32_t>(nTo - nFrom));
            if (!pcm.empty() && !writer.WriteAudio(pcm)) {
                strError = writer.LastError();
                return false;
            }
        }
        scene.Render(nFrame, s.nFps, canvas);
        if (!canvas.ToPicture(picture, s.nBitCount) ||
            !encoder.EncodeFrame(picture, nFrame % s.nKeyEvery == 0, frame)) {
            strError = encoder.LastError();
            return false;
        }
        const bool bKey = encoder.LastWasKey();
        if (!bKey && encoder.LastUnchanged() && s.bEmptyWhenUnchanged)
            frame.clear();
        if (!writer.WriteVideo(frame, bKey)) {
            strError = writer.LastError();
            return false;
        }
        if (s.nFillerMiB != 0 && (nFrame + 1) % s.nFps == 0 && !WriteFiller(writer, s.nFillerMiB << 20)) {
            strError = writer.LastError();
            return false;
        }
    }
    if (!writer.Close()) {
        strError = writer.LastError();
        return false;
    }
    return true;
}

}  // namespace

bool QRVWriteMovie(const QRVMovieSettings& s, QRVOutput& output, std::string& strError)
{
    std::unique_ptr<QRVScene> pScene = QRVMakeScene(s.strScene);
    if (!pScene) {
        strError = "unknown scene: " + s.strScene;
        return false;
    }
    if (s.nFps == 0 || s.nKeyEvery == 0) {
        strError = "frame rate and key-frame interval must not be zero";
        return false;
    }
    QRVVideoStreamFormat video;
    video.nWidth = s.nWidth;
    video.nHeight = s.nHeight;
    video.nBitCount = s.nBitCount;
    video.nRate = s.nFps;
    video.nScale = 1;
    if (s.nBitCount == 8)
        video.palette = QRVCanvas::StandardPalette();
    QRVAudioStreamFormat audio;
    audio.nChannels = s.nChannels;
    audio.nSamplesPerSec = s.nSampleRate;
    audio.nBitsPerSample = s.nSoundBits;
    QRVToneFormat tone;
    tone.nChannels = s.nChannels;
    tone.nSamplesPerSec = s.nSampleRate;
    tone.nBitsPerSample = s.nSoundBits;

    QRVScreenEncoder encoder;
    if (!encoder.Begin(s.nWidth, s.nHeight, s.nBitCount)) {
        strError = encoder.LastError();
        return false;
    }
    if (s.bOpenDml) {
        QRVOpenDmlOptions options;
        options.bLegacyIndex = s.bLegacyIndex;
        QRVOpenDmlWriter writer;
        if (!writer.Open(output, video, s.bSound ? &audio : nullptr, options)) {
            strError = writer.LastError();
            return false;
        }
        return WriteFrames(s, tone, *pScene, encoder, writer, strError);
    }
    QRVAviWriter writer;
    if (!writer.Open(output, video, s.bSound ? &audio : nullptr)) {
        strError = writer.LastError();
        return false;
    }
    return WriteFrames(s, tone, *pScene, encoder, writer, strError);
}

bool QRVWriteMovieFile(const QRVMovieSettings& s, std::string& strError)
{
    QRVFileOutput file;
    if (!file.Open(s.strOutput)) {
        strError = "cannot create " + s.strOutput;
        return false;
    }
    if (!QRVWriteMovie(s, file, strError))
        return false;
    if (!file.Finish()) {
        strError = "cannot finish writing " + s.strOutput;
        return false;
    }
    return true;
}
