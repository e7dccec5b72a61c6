// What the processor running us can do, for the few loops we also build for
// newer instruction sets.
#pragma once

// True when the AVX2 loops are built in and the processor has AVX2, with the
// operating system saving its registers.
bool QRVHasAvx2();
