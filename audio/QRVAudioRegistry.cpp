#include "QRVAudioRegistry.h"

#include <unordered_map>
#include <windows.h>

#include "critsec.h"

namespace {

struct CRegistry {
    CCriticalSection cs;
    std::unordered_map<const QRVAudio*, DWORD> map;  // engine -> 0
};

// Created with the first engine and kept to the end of the process, so
// that engines destroyed during static destruction still find it.
CRegistry& Registry()
{
    static CRegistry* s_pRegistry = new CRegistry;
    return *s_pRegistry;
}

}  // namespace

namespace QRVAudioRegistry {

void Add(QRVAudio* pAudio)
{
    CRegistry& reg = Registry();
    CSingleLock lock(reg.cs);
    reg.map[pAudio] = 0;
}

void Remove(QRVAudio* pAudio)
{
    CRegistry& reg = Registry();
    CSingleLock lock(reg.cs);
    reg.map.erase(pAudio);
}

bool VisitIfLive(QRVAudio* pAudio, void (*pfnVisit)(QRVAudio*, void*), void* pContext)
{
    if (pAudio == nullptr)
        return false;
    CRegistry& reg = Registry();
    CSingleLock lock(reg.cs);
    if (reg.map.find(pAudio) == reg.map.end())
        return false;
    pfnVisit(pAudio, pContext);
    return true;
}

}  // namespace QRVAudioRegistry
