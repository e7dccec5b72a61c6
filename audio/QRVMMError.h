// QRVMMError: keeps the result code of the latest multimedia call (wave or
// mixer) of the object that derives from it; 0 means success.
#pragma once

#include <atomic>
#include <windows.h>
#include <mmsystem.h>

class QRVMMError {
public:
    MMRESULT GetLastResult() const { return m_nLastResult; }
    bool LastCallSucceeded() const { return m_nLastResult == MMSYSERR_NOERROR; }

protected:
    QRVMMError() = default;
    ~QRVMMError() = default;

    // Stores the result of a call and passes it on: `if (Keep(waveOutX(...)))`.
    MMRESULT Keep(MMRESULT nResult);

private:
    // Written by whichever thread made the latest call.
    std::atomic<MMRESULT> m_nLastResult{MMSYSERR_NOERROR};
};
