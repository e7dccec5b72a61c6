#include "QRVCpu.h"

bool QRVHasAvx2()
{
#if defined(QRV_AVX2)
    static const bool s_bAvx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return s_bAvx2;
#else
    return false;
#endif
}
