// The process-wide registry of live wave engines. The device callback
// serves only instances found here, so a late notice for an engine that is
// being destroyed is dropped instead of touching freed memory.
#pragma once

class QRVAudio;

namespace QRVAudioRegistry {

void Add(QRVAudio* pAudio);
void Remove(QRVAudio* pAudio);
// Runs pfnVisit(pAudio, pContext) while the registry holds pAudio, with
// the registry locked so that pAudio cannot leave it meanwhile. False when
// pAudio is not registered.
bool VisitIfLive(QRVAudio* pAudio, void (*pfnVisit)(QRVAudio*, void*), void* pContext);

}  // namespace QRVAudioRegistry
