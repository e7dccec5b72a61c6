// Windows build only: the portable header layout and result codes must be
// the platform's, so that the facade can hand its BITMAPINFOHEADER straight
// to the decoder and pass its codes on as video-compression-manager codes.
#include <cstddef>

#include <windows.h>
#include <vfw.h>

#include "QRVBitmapHeader.h"
#include "ScreenCodecDecoder.h"

static_assert(sizeof(QRVBitmapHeader) == sizeof(BITMAPINFOHEADER), "header size");
static_assert(offsetof(QRVBitmapHeader, biSize) == offsetof(BITMAPINFOHEADER, biSize), "biSize");
static_assert(offsetof(QRVBitmapHeader, biWidth) == offsetof(BITMAPINFOHEADER, biWidth), "biWidth");
static_assert(offsetof(QRVBitmapHeader, biHeight) == offsetof(BITMAPINFOHEADER, biHeight), "biHeight");
static_assert(offsetof(QRVBitmapHeader, biPlanes) == offsetof(BITMAPINFOHEADER, biPlanes), "biPlanes");
static_assert(offsetof(QRVBitmapHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount), "biBitCount");
static_assert(offsetof(QRVBitmapHeader, biCompression) == offsetof(BITMAPINFOHEADER, biCompression),
              "biCompression");
static_assert(offsetof(QRVBitmapHeader, biSizeImage) == offsetof(BITMAPINFOHEADER, biSizeImage),
              "biSizeImage");
static_assert(offsetof(QRVBitmapHeader, biXPelsPerMeter) == offsetof(BITMAPINFOHEADER, biXPelsPerMeter),
              "biXPelsPerMeter");
static_assert(offsetof(QRVBitmapHeader, biYPelsPerMeter) == offsetof(BITMAPINFOHEADER, biYPelsPerMeter),
              "biYPelsPerMeter");
static_assert(offsetof(QRVBitmapHeader, biClrUsed) == offsetof(BITMAPINFOHEADER, biClrUsed), "biClrUsed");
static_assert(offsetof(QRVBitmapHeader, biClrImportant) == offsetof(BITMAPINFOHEADER, biClrImportant),
              "biClrImportant");
static_assert(sizeof(((BITMAPINFOHEADER*)nullptr)->biWidth) == sizeof(int32_t), "LONG is 32 bits");
static_assert(BMH_RGB == BI_RGB, "uncompressed RGB");

static_assert(SCD_OK == ICERR_OK, "success code");
static_assert(SCD_BADFORMAT == ICERR_BADFORMAT, "bad format code");
static_assert(SCD_INTERNAL == ICERR_INTERNAL, "internal error code");
