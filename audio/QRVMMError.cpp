#include "QRVMMError.h"

MMRESULT QRVMMError::Keep(MMRESULT nResult)
{
    m_nLastResult = nResult;
    return nResult;
}
