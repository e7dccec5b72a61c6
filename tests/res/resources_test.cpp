// Loads the player's resources back from this program (linked with the
// compiled resource script) and checks what the player relies on: exact
// texts, menu layout, keys, toolbar layout, pictures, dialogs and version.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "resource.h"

namespace {

// ---- handle ownership -------------------------------------------------------

struct MenuCloser {
    void operator()(HMENU h) const { DestroyMenu(h); }
};
struct AccelCloser {
    void operator()(HACCEL h) const { DestroyAcceleratorTable(h); }
};
struct WindowCloser {
    void operator()(HWND h) const { DestroyWindow(h); }
};
struct GdiCloser {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct IconCloser {
    void operator()(HICON h) const { DestroyIcon(h); }
};

using MenuPtr = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuCloser>;
using AccelPtr = std::unique_ptr<std::remove_pointer_t<HACCEL>, AccelCloser>;
using WindowPtr = std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser>;
using GdiPtr = std::unique_ptr<void, GdiCloser>;
using IconPtr = std::unique_ptr<std::remove_pointer_t<HICON>, IconCloser>;

// Bitmaps handed out by GetIconInfo belong to the caller.
struct IconBitmaps {
    ICONINFO info{};
    bool ok = false;
    explicit IconBitmaps(HICON icon) : ok(GetIconInfo(icon, &info) != FALSE) {}
    ~IconBitmaps()
    {
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
    IconBitmaps(const IconBitmaps&) = delete;
    IconBitmaps& operator=(const IconBitmaps&) = delete;
};

HINSTANCE Module()
{
    return GetModuleHandleW(nullptr);
}

// Raw bytes of a resource of this program; empty when missing.
std::vector<BYTE> RawResource(UINT id, LPCWSTR type)
{
    HRSRC info = FindResourceW(Module(), MAKEINTRESOURCEW(id), type);
    if (!info)
        return {};
    HGLOBAL handle = LoadResource(Module(), info);
    const BYTE* data = handle ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
    if (!data)
        return {};
    return std::vector<BYTE>(data, data + SizeofResource(Module(), info));
}

std::wstring ResourceString(UINT id)
{
    const wchar_t* text = nullptr;
    // A zero buffer length hands back a pointer into the resource itself, so
    // the exact length (embedded breaks included) comes back unchanged.
    int length = LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

// ---- strings ------------------------------------------------------------------

struct StringCase {
    UINT id;
    const wchar_t* text;
};

const StringCase kStrings[] = {
    {IDR_MAINFRAME, L"Проигрыватель Vistrel"},
    {ID_INDICATOR_STATE, L"XXОткрытие...XX"},
    {IDS_STATE_STOPPED, L"Остановлено"},
    {IDS_STATE_PAUSED, L"Приостановлено"},
    {IDS_STATE_PLAYING, L"Проигрывается"},
    {ID_INDICATOR_TIME, L"X00:00/00:00X"},
    {IDS_NO_AUDIO_RECORD_CODEC, L"Не удалось найти необходимый кодек \nдля сжатия потокового звука.\r\n"
                                L"Вы не сможете записать звук."},
    {IDS_NO_AUDIO_CODEC,
     L"Не удалось найти необходимый кодек для распаковки поттока звука.\r\nВы не услышите звук."},
    {IDS_OPEN_FAILED, L"Не удалось открыть"},
    {IDS_FILE_CORRUPT, L"Не удалось прочитать файл. Указанный файл испорчен или имеет неопознаный формат."},
    {IDS_OUT_OF_MEMORY, L"Не удалось открыть файл из-за нехватки памяти."},
    {IDS_DISK_READ_ERROR, L"Произошла ошибка диска при чтении файла."},
    {IDS_DISK_OPEN_ERROR, L"Произошла ошибка диска при открытии файла."},
    {IDS_AVI_CLASS_MISSING, L"Класс AVI-файла не зарегистрирован."},
    {IDS_NO_VIDEO_CODEC, L"Невозможно найти необходимый кодек"},
    {IDS_NO_VIDEO_CODEC_TAIL, L"для распаковки потокового видео.\r\nвы не сможете просмотреть видео."},
    {IDS_NO_STREAMS, L"Не удалось открыть потоковый аудио или видео файл\r\n%s."},
    {IDS_NO_DV_SUPPORT, L"ПРИМЕЧАНИЕ: файлы DV AVI сейчас не поддерживаются."},
    {IDS_SAVE_PATH_TOO_LONG, L"Файл '%s не может быть сохранен поскольку путь слишком большой.  "
                             L"Пожалуйста, используйте короче путь."},
    {IDS_OPEN_PATH_TOO_LONG,
     L"Файл '%s не может быть открыт поскольку путь большой.  Пожалуйста, используйте короче путь."},
    {IDS_WRONG_EXTENSION,
     L"Файл '%1 имеет неправильное расширение.  Расширение должно быть одним из следующего: %2"},
    {IDS_LONG_NAME_NOTE,
     L"ПРИМЕЧАНИЕ: При использовании длинных имен файлов, указанный путь может быть обрезан "
     L"Windows, или быть заменен другим.  Если это является причиной, пожалуйста используйте "
     L"короче путь."},
    {IDS_LINK_FAILED, L"Невозможно открыть ссылку (%d)"},
    {IDS_PLAYER_NAME, L"Проигрыватель Vistrel"},
    {IDS_IDLE_MESSAGE, L" "},
    {IDS_KEYWORD_PLAY, L"Воспроизвести"},
    {IDS_KEYWORD_OPEN, L"Открыть"},
    {IDS_KEYWORD_DELETE, L"Удалить"},
    {IDS_FULLSCREEN_TEXT, L"&Во весь экран"},
    {IDS_KEY_ESC, L"Esc"},
    {IDS_KEY_ALT_ENTER, L"Alt+Ввод"},
    {IDS_FILE_NOT_FOUND, L"Файл не найден: %s"},
    {IDS_VERSION, L"Версия"},
    {IDS_OPEN_FILTER, L"Файлы AVI (*.avi)|*.avi||"},
    {IDS_OPEN_TITLE, L"Открыть AVI файл"},
    {IDS_EXIT_ITEM, L"&Выход"},
    {IDS_STATE_SEEKING, L"Поиск"},
    {IDS_WARN_1GB, L"Предупреждение: Этот файл больше чем 1 ГБ и не может быть воспроизведен правильно."},
    {IDS_BAD_EXTENSION,
     L"Файл '%s' не имеет правильное расширение.  Расширение должно быть следующее: .avi: .avi"},
    {IDS_NEED_XP, L"Эта функция доступна только в Windows XP или выше."},
    // Command prompts and tooltips
    {ID_FILE_OPEN, L"Открыть файл фильма\nОткрыть фильм"},
    {ID_FILE_CLOSE, L"Закрыть фильм\nЗакрыть"},
    {ID_APP_EXIT, L"Выход из приложения\nВыход"},
    {ID_PLAY_PLAYPAUSE, L"Воспроизвести/Пауза фильма\nВоспроизвести/Пауза"},
    {ID_PLAY_PLAY, L"Воспроизведение фильма\nВоспроизвести"},
    {ID_PLAY_PAUSE, L"Приостановка воспроизведения фильма\nПауза"},
    {ID_PLAY_STOP, L"Остановка воспроизведения\nОстановить"},
    {ID_PLAY_HOME, L"Переход к началу фильма\nВ начало"},
    {ID_PLAY_BACK, L"Перемотка на позицию фильма\nПеремотка"},
    {ID_PLAY_FORWARD, L"Вперед на позицию фильма\nВперед"},
    {ID_PLAY_END, L"Переход в конец фильма\nВ конец"},
    {ID_VIEW_FULLSCREEN, L"Переключение в полноэкранный режим\nВо весь экран"},
    {ID_PLAY_REPEAT, L"Непрерывное воспроизведение\nПовторение"},
    {ID_VIEW_ALWAYSONTOP, L"Сохраняет положение проигрывателя поверх других окон\nВсегда поверх всех окон"},
    {ID_VOLUME_UP, L"Увеличить громкость\nУвеличить громкость"},
    {ID_VOLUME_DOWN, L"Уменьшить громкость\nУменьшить громкость"},
    {ID_VOLUME_MUTE, L"Выключить звук\nВыключить звук"},
    {ID_VOLUME_POPUP, L"Отображение регулятора громкости\nГромкость"},
    {ID_APP_ABOUT, L"Отображение сведений о программе"},
    {ID_SEEK_SLIDER, L" "},
};

TEST(ResourceStrings, EveryNumberedStringLoadsExactly)
{
    for (const StringCase& c : kStrings) {
        EXPECT_EQ(ResourceString(c.id), std::wstring(c.text)) << "string " << c.id;
    }
}

TEST(ResourceStrings, KeyOnlyCommandsHaveNoPrompt)
{
    for (UINT id : {ID_PLAY_STEPBACK, ID_PLAY_STEPFORWARD, ID_VIEW_ESCAPE}) {
        EXPECT_EQ(ResourceString(id), std::wstring()) << "string " << id;
    }
}

// ---- menu ------------------------------------------------------------------------

const UINT kSeparator = 0;
const UINT kSubmenu = static_cast<UINT>(-1);

struct MenuEntry {
    UINT id;  // kSeparator, kSubmenu or a command
    const wchar_t* text;
};

const MenuEntry kTopMenu[] = {{kSubmenu, L"&Файл"}, {kSubmenu, L"&Воспроизведение"}, {kSubmenu, L"&Справка"}};

const MenuEntry kFileMenu[] = {
    {ID_FILE_OPEN, L"&Открыть...\tCtrl+O"},
    {ID_FILE_CLOSE, L"&Закрыть"},
    {kSeparator, nullptr},
    {ID_APP_EXIT, L"&Выход"},
};

const MenuEntry kPlayMenu[] = {
    {ID_PLAY_PLAYPAUSE, L"&Воспроизвести/Пауза\tSpace"},
    {ID_PLAY_STOP, L"&Остановить\tCtrl+S"},
    {kSeparator, nullptr},
    {ID_PLAY_HOME, L"&Перейти в начало\tHome"},
    {ID_PLAY_BACK, L"П&еремотка\tPage Up"},
    {ID_PLAY_FORWARD, L"Впе&ред\tPage Down"},
    {ID_PLAY_END, L"Пере&йти в конец\tEnd"},
    {kSeparator, nullptr},
    {ID_VIEW_FULLSCREEN, L"Во ве&сь экран"},
    {ID_PLAY_REPEAT, L"Пов&торять\tCtrl+R"},
    {ID_VIEW_ALWAYSONTOP, L"Все&гда поверх всех окон\tCtrl+A"},
    {kSeparator, nullptr},
    {kSubmenu, L"Гро&мкость"},
};

const MenuEntry kVolumeMenu[] = {
    {ID_VOLUME_UP, L"&Выше\tCtrl+Up"},
    {ID_VOLUME_DOWN, L"&Ниже\tCtrl+Down"},
    {ID_VOLUME_MUTE, L"В&ыключить звук\tCtrl+M"},
};

const MenuEntry kHelpMenu[] = {{ID_APP_ABOUT, L"&О программе..."}};

template <size_t N> void ExpectMenu(HMENU menu, const MenuEntry (&expected)[N], const char* name)
{
    ASSERT_NE(menu, nullptr) << name;
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(N)) << name;
    for (size_t i = 0; i < N; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = ARRAYSIZE(text);
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) << name << " " << i;
        const MenuEntry& e = expected[i];
        if (e.id == kSeparator) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << name << " item " << i << " is a separator";
            continue;
        }
        EXPECT_EQ(std::wstring(text), std::wstring(e.text)) << name << " item " << i;
        if (e.id == kSubmenu) {
            EXPECT_NE(info.hSubMenu, nullptr) << name << " item " << i << " opens a submenu";
        } else {
            EXPECT_EQ(info.hSubMenu, nullptr) << name << " item " << i;
            EXPECT_EQ(info.wID, e.id) << name << " item " << i;
        }
    }
}

TEST(ResourceMenu, MainMenuHasFilePlayAndHelpWithTheirItems)
{
    MenuPtr menu(LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    ASSERT_TRUE(menu);
    ExpectMenu(menu.get(), kTopMenu, "top");
    ExpectMenu(GetSubMenu(menu.get(), 0), kFileMenu, "file");
    HMENU play = GetSubMenu(menu.get(), 1);
    ExpectMenu(play, kPlayMenu, "play");
    ExpectMenu(GetSubMenu(play, ARRAYSIZE(kPlayMenu) - 1), kVolumeMenu, "volume");
    ExpectMenu(GetSubMenu(menu.get(), 2), kHelpMenu, "help");
}

// ---- accelerators ------------------------------------------------------------------

struct KeyCase {
    BYTE modifiers;  // FCONTROL, FALT or 0; every entry is a virtual key
    WORD key;
    WORD command;
};

const KeyCase kKeys[] = {
    {0, VK_SPACE, ID_PLAY_PLAYPAUSE},
    {FCONTROL, 'P', ID_PLAY_PLAYPAUSE},
    {FCONTROL, 'O', ID_FILE_OPEN},
    {FCONTROL, 'S', ID_PLAY_STOP},
    {0, VK_HOME, ID_PLAY_HOME},
    {0, VK_PRIOR, ID_PLAY_BACK},
    {0, VK_NEXT, ID_PLAY_FORWARD},
    {0, VK_END, ID_PLAY_END},
    {0, VK_LEFT, ID_PLAY_STEPBACK},
    {0, VK_RIGHT, ID_PLAY_STEPFORWARD},
    {FALT, VK_RETURN, ID_VIEW_FULLSCREEN},
    {0, VK_ESCAPE, ID_VIEW_ESCAPE},
    {FCONTROL, 'R', ID_PLAY_REPEAT},
    {FCONTROL, 'A', ID_VIEW_ALWAYSONTOP},
    {FCONTROL, VK_UP, ID_VOLUME_UP},
    {FCONTROL, VK_DOWN, ID_VOLUME_DOWN},
    {FCONTROL, 'M', ID_VOLUME_MUTE},
};

TEST(ResourceAccelerators, EachKeyMapsToItsCommand)
{
    AccelPtr table(LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    ASSERT_TRUE(table);
    int count = CopyAcceleratorTableW(table.get(), nullptr, 0);
    ASSERT_EQ(count, static_cast<int>(ARRAYSIZE(kKeys)));
    std::vector<ACCEL> entries(count);
    ASSERT_EQ(CopyAcceleratorTableW(table.get(), entries.data(), count), count);
    const BYTE kFlags = FVIRTKEY | FCONTROL | FALT | FSHIFT;
    for (const KeyCase& k : kKeys) {
        int matches = 0;
        for (const ACCEL& a : entries) {
            if (a.key == k.key && (a.fVirt & kFlags) == (FVIRTKEY | k.modifiers)) {
                EXPECT_EQ(a.cmd, k.command) << "key " << k.key;
                ++matches;
            }
        }
        EXPECT_EQ(matches, 1) << "key " << k.key << " modifiers " << int(k.modifiers);
    }
}

// ---- toolbar layout ------------------------------------------------------------------

TEST(ResourceToolbar, LayoutHasVersionSizeAndFourteenItemsInOrder)
{
    const WORD expected[] = {1,
                             20,
                             20,
                             14,
                             ID_PLAY_PLAY,
                             ID_PLAY_PAUSE,
                             ID_PLAY_STOP,
                             0,
                             ID_PLAY_HOME,
                             ID_PLAY_BACK,
                             ID_PLAY_FORWARD,
                             ID_PLAY_END,
                             0,
                             ID_SEEK_SLIDER,
                             0,
                             ID_VOLUME_POPUP,
                             0,
                             ID_APP_EXIT};
    std::vector<BYTE> raw = RawResource(IDR_TOOLBAR, MAKEINTRESOURCEW(241));
    ASSERT_EQ(raw.size(), sizeof(expected));
    EXPECT_EQ(std::memcmp(raw.data(), expected, sizeof(expected)), 0);
}

// ---- bitmaps ------------------------------------------------------------------------

struct BitmapCase {
    UINT id;
    LONG width;
    LONG height;
    WORD bits;
};

const BitmapCase kBitmaps[] = {
    {IDR_TOOLBAR, 200, 20, 4},
    {IDB_BACKGROUND, 196, 86, 24},
    {IDB_VOLUME, 80, 20, 4},
};

TEST(ResourceBitmaps, HaveTheirSizesAndDepthsAndLoad)
{
    for (const BitmapCase& c : kBitmaps) {
        std::vector<BYTE> raw = RawResource(c.id, RT_BITMAP);
        ASSERT_GE(raw.size(), sizeof(BITMAPINFOHEADER)) << "bitmap " << c.id;
        BITMAPINFOHEADER header;
        std::memcpy(&header, raw.data(), sizeof(header));
        EXPECT_EQ(header.biWidth, c.width) << "bitmap " << c.id;
        EXPECT_EQ(header.biHeight, c.height) << "bitmap " << c.id << " (bottom-up)";
        EXPECT_EQ(header.biBitCount, c.bits) << "bitmap " << c.id;
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB)) << "bitmap " << c.id;

        GdiPtr bitmap(LoadImageW(Module(), MAKEINTRESOURCEW(c.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_TRUE(bitmap) << "bitmap " << c.id;
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(bitmap.get(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        EXPECT_EQ(dib.dsBm.bmWidth, c.width);
        EXPECT_EQ(dib.dsBm.bmHeight, c.height);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, c.bits);
    }
}

// Colour of pixel (x, y), y counted from the top, of a 4-bit bitmap resource.
COLORREF Pixel4(const std::vector<BYTE>& raw, LONG x, LONG y)
{
    BITMAPINFOHEADER h;
    std::memcpy(&h, raw.data(), sizeof(h));
    size_t colours = h.biClrUsed ? h.biClrUsed : 16;
    size_t stride = ((static_cast<size_t>(h.biWidth) * 4 + 31) / 32) * 4;
    size_t bits = h.biSize + colours * 4;
    size_t at = bits + stride * static_cast<size_t>(h.biHeight - 1 - y) + static_cast<size_t>(x) / 2;
    if (at >= raw.size())
        return CLR_INVALID;
    BYTE index = (x % 2) ? (raw[at] & 0x0F) : (raw[at] >> 4);
    if (index >= colours)
        return CLR_INVALID;
    const BYTE* q = raw.data() + h.biSize + index * 4;  // blue, green, red, 0
    return RGB(q[2], q[1], q[0]);
}

// The toolbar maps light grey to the button face, so every image sits on it;
// the slider placeholder (eighth image) is blank and every other one is not.
TEST(ResourceBitmaps, ButtonImagesSitOnLightGreyAndOnlyThePlaceholderIsBlank)
{
    struct Strip {
        UINT id;
        int images;
        int blank;  // index of the blank image, or -1
    } strips[] = {{IDR_TOOLBAR, 10, 7}, {IDB_VOLUME, 4, -1}};
    const COLORREF kFace = RGB(192, 192, 192);
    for (const Strip& s : strips) {
        std::vector<BYTE> raw = RawResource(s.id, RT_BITMAP);
        ASSERT_GE(raw.size(), sizeof(BITMAPINFOHEADER) + 64 + s.images * 20 * 20 / 2);
        for (int i = 0; i < s.images; ++i) {
            int drawn = 0;
            for (LONG y = 0; y < 20; ++y) {
                for (LONG x = 0; x < 20; ++x) {
                    COLORREF c = Pixel4(raw, i * 20 + x, y);
                    ASSERT_NE(c, CLR_INVALID);
                    if (c != kFace)
                        ++drawn;
                }
            }
            EXPECT_EQ(Pixel4(raw, i * 20, 0), kFace) << "bitmap " << s.id << " image " << i;
            if (i == s.blank) {
                EXPECT_EQ(drawn, 0) << "bitmap " << s.id << " image " << i;
            } else {
                EXPECT_GT(drawn, 20) << "bitmap " << s.id << " image " << i;
            }
        }
    }
}

// ---- icon and cursor ------------------------------------------------------------------

TEST(ResourceIcons, ApplicationIconHasSmallAndLargeImages)
{
    for (int size : {16, 32}) {
        IconPtr icon(static_cast<HICON>(
            LoadImageW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon) << size;
        IconBitmaps bitmaps(icon.get());
        ASSERT_TRUE(bitmaps.ok);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(bitmaps.info.hbmColor, sizeof(bm), &bm));
        EXPECT_EQ(bm.bmWidth, size);
        EXPECT_EQ(bm.bmHeight, size);
    }
    // The icon group really lists both sizes (LoadImage would stretch otherwise).
    std::vector<BYTE> group = RawResource(IDR_MAINFRAME, RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u);
    WORD count = static_cast<WORD>(group[4] | (group[5] << 8));
    ASSERT_EQ(group.size(), 6u + 14u * count);
    bool has16 = false, has32 = false;
    for (WORD i = 0; i < count; ++i) {
        BYTE width = group[6 + 14 * i];
        has16 = has16 || width == 16;
        has32 = has32 || width == 32;
    }
    EXPECT_TRUE(has16);
    EXPECT_TRUE(has32);
}

TEST(ResourceIcons, HandCursorLoadsWithItsHotspotAtTheFingertip)
{
    HCURSOR cursor = LoadCursorW(Module(), MAKEINTRESOURCEW(IDC_LINK_HAND));  // shared, not freed
    ASSERT_NE(cursor, nullptr);
    IconBitmaps bitmaps(cursor);
    ASSERT_TRUE(bitmaps.ok);
    EXPECT_FALSE(bitmaps.info.fIcon);
    // Monochrome cursor: the mask bitmap holds the AND mask over the XOR image.
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(bitmaps.info.hbmMask, sizeof(bm), &bm));
    ASSERT_EQ(bm.bmWidth, 32);
    ASSERT_EQ(bm.bmHeight, 64);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 32;
    info.header.biHeight = -64;  // top row first
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    DWORD rows[64] = {};
    HDC dc = GetDC(nullptr);
    int got = GetDIBits(dc, bitmaps.info.hbmMask, 0, 64, rows, reinterpret_cast<BITMAPINFO*>(&info),
                        DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    ASSERT_EQ(got, 64);
    auto opaque = [&](DWORD x, DWORD y) {
        const BYTE* row = reinterpret_cast<const BYTE*>(&rows[y]);
        return (row[x / 8] & (0x80 >> (x % 8))) == 0;  // AND bit clear: drawn
    };
    DWORD top = 0;
    while (top < 32) {
        bool any = false;
        for (DWORD x = 0; x < 32; ++x)
            any = any || opaque(x, top);
        if (any)
            break;
        ++top;
    }
    ASSERT_LT(top, 32u) << "cursor has no visible pixel";
    EXPECT_EQ(bitmaps.info.yHotspot, top) << "hotspot on the topmost row of the finger";
    EXPECT_TRUE(opaque(bitmaps.info.xHotspot, bitmaps.info.yHotspot));
}

// ---- dialogs ----------------------------------------------------------------------------

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

WindowPtr CreateHiddenDialog(UINT id)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    return WindowPtr(CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), nullptr, QuietDialogProc, 0));
}

struct ItemCase {
    int id;
    const wchar_t* cls;
    const wchar_t* text;  // nullptr: not compared
    RECT units;           // left, top, width, height in dialog units
    DWORD styleMask;
    DWORD style;    // (style & styleMask) must equal this
    bool sizeKept;  // false where the control sizes itself (icon)
};

const DWORD kTypeMask = SS_TYPEMASK;

const ItemCase kAboutItems[] = {
    {-1, L"Static", nullptr, {5, 5, 20, 20}, kTypeMask | WS_VISIBLE, SS_ICON | WS_VISIBLE, false},
    {-1, L"Static", L"Проигрыватель Orbenta Vistrel", {38, 13, 168, 8}, kTypeMask, SS_LEFT, true},
    {IDC_ABOUT_VERSION, L"Static", L"версия", {12, 28, 200, 8}, kTypeMask, SS_LEFT, true},
    {-1, L"Static", L"Проверка обновлений на веб-узле", {12, 40, 118, 8}, kTypeMask, SS_LEFT, true},
    {IDC_ABOUT_LINK,
     L"Static",
     L"http://www.example.com/vistrel",
     {140, 40, 75, 8},
     kTypeMask | SS_NOTIFY | WS_TABSTOP,
     SS_LEFT | SS_NOTIFY | WS_TABSTOP,
     true},
    {-1,
     L"Static",
     L"Проигрыватель Vistrel является частью Orbenta's Vistrel Studio, для просмотра "
     L"создаваемых видео файлов.",
     {12, 51, 187, 32},
     kTypeMask,
     SS_LEFT,
     true},
    {-1, L"Static", nullptr, {5, 86, 210, 1}, kTypeMask, SS_BLACKRECT, true},
    {-1, L"Static", L"© Разработчики Проигрывателя Vistrel.", {12, 89, 194, 8}, kTypeMask, SS_LEFT, true},
    {-1,
     L"Static",
     L"Распространяется на условиях лицензии программы.",
     {12, 99, 194, 8},
     kTypeMask,
     SS_LEFT,
     true},
    {-1, L"Static", nullptr, {5, 109, 210, 1}, kTypeMask, SS_BLACKRECT, true},
    {IDOK,
     L"Button",
     L"ОК",
     {85, 119, 50, 14},
     BS_TYPEMASK | WS_VISIBLE,
     BS_DEFPUSHBUTTON | WS_VISIBLE,
     true},
};

const ItemCase kVolumeItems[] = {
    {IDC_VOLUME_LABEL,
     L"Static",
     L"&Громкость",
     {4, 0, 36, 8},
     kTypeMask | WS_VISIBLE | WS_GROUP,
     SS_LEFT | WS_VISIBLE | WS_GROUP,
     true},
    {IDC_VOLUME_RAMP, L"Static", nullptr, {3, 14, 15, 63}, kTypeMask | WS_VISIBLE, SS_BLACKFRAME, true},
    {IDC_VOLUME_SLIDER,
     L"msctls_trackbar32",
     nullptr,
     {22, 9, 15, 72},
     TBS_VERT | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP | WS_VISIBLE,
     TBS_VERT | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP | WS_VISIBLE,
     true},
    {IDC_VOLUME_MUTE,
     L"Button",
     L"&Выкл.",
     {4, 83, 34, 10},
     BS_TYPEMASK | WS_TABSTOP | WS_VISIBLE,
     BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE,
     true},
};

template <size_t N> void ExpectItems(HWND dialog, const ItemCase (&expected)[N])
{
    HWND item = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < N; ++i, item = GetWindow(item, GW_HWNDNEXT)) {
        const ItemCase& e = expected[i];
        ASSERT_NE(item, nullptr) << "item " << i;
        EXPECT_EQ(GetDlgCtrlID(item), e.id) << "item " << i;
        wchar_t cls[64] = {};
        GetClassNameW(item, cls, ARRAYSIZE(cls));
        EXPECT_EQ(lstrcmpiW(cls, e.cls), 0) << "item " << i << " class";
        if (e.text) {
            wchar_t text[256] = {};
            GetWindowTextW(item, text, ARRAYSIZE(text));
            EXPECT_EQ(std::wstring(text), std::wstring(e.text)) << "item " << i;
        }
        DWORD style = static_cast<DWORD>(GetWindowLongW(item, GWL_STYLE));
        EXPECT_EQ(style & e.styleMask, e.style) << "item " << i << " style " << std::hex << style;
        // The dialog manager converts position and size separately.
        RECT units = e.units;
        MapDialogRect(dialog, &units);
        RECT want = {units.left, units.top, units.left + units.right, units.top + units.bottom};
        RECT got{};
        GetWindowRect(item, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left) << "item " << i;
        EXPECT_EQ(got.top, want.top) << "item " << i;
        if (e.sizeKept) {
            EXPECT_EQ(got.right, want.right) << "item " << i;
            EXPECT_EQ(got.bottom, want.bottom) << "item " << i;
        }
    }
    EXPECT_EQ(item, nullptr) << "no further items";
}

// Header of an extended dialog template up to its font.
struct TemplateHeader {
    DWORD style = 0;
    WORD items = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring face;
    bool ok = false;
};

TemplateHeader ReadTemplate(UINT id)
{
    TemplateHeader t;
    std::vector<BYTE> raw = RawResource(id, RT_DIALOG);
    size_t pos = 0;
    auto word = [&](WORD& out) {
        if (pos + 2 > raw.size())
            return false;
        out = static_cast<WORD>(raw[pos] | (raw[pos + 1] << 8));
        pos += 2;
        return true;
    };
    auto text = [&](std::wstring* out) {  // string, or 0xFFFF + ordinal
        WORD w = 0;
        if (!word(w))
            return false;
        if (w == 0xFFFF)
            return word(w);
        while (w != 0) {
            if (out)
                out->push_back(static_cast<wchar_t>(w));
            if (!word(w))
                return false;
        }
        return true;
    };
    WORD version = 0, signature = 0, lo = 0, hi = 0, skip = 0, x = 0, y = 0, cx = 0, cy = 0;
    if (!word(version) || !word(signature) || version != 1 || signature != 0xFFFF)
        return t;
    for (int i = 0; i < 4; ++i)
        word(skip);  // help id, extended style
    if (!word(lo) || !word(hi) || !word(t.items) || !word(x) || !word(y) || !word(cx) || !word(cy))
        return t;
    t.style = MAKELONG(lo, hi);
    t.cx = static_cast<short>(cx);
    t.cy = static_cast<short>(cy);
    if (!text(nullptr) || !text(nullptr) || !text(&t.caption))
        return t;  // menu, class, caption
    if (t.style & DS_SETFONT) {
        if (!word(t.pointSize) || !word(skip) || !word(skip) || !text(&t.face))
            return t;
    }
    t.ok = true;
    return t;
}

TEST(ResourceDialogs, AboutBoxTemplateAndItems)
{
    TemplateHeader t = ReadTemplate(IDD_ABOUTBOX);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.cx, 220);
    EXPECT_EQ(t.cy, 140);
    EXPECT_EQ(t.items, ARRAYSIZE(kAboutItems));
    EXPECT_EQ(t.caption, L"О программе");
    const DWORD kWanted = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(t.style & kWanted, kWanted);
    EXPECT_EQ(t.style & WS_VISIBLE, 0u);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, L"MS Shell Dlg");

    WindowPtr dialog = CreateHiddenDialog(IDD_ABOUTBOX);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(IsWindowVisible(dialog.get()));
    HWND icon = GetWindow(dialog.get(), GW_CHILD);
    EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0) << "icon 100 shown";
    ExpectItems(dialog.get(), kAboutItems);
}

TEST(ResourceDialogs, VolumePopupTemplateAndItems)
{
    TemplateHeader t = ReadTemplate(IDD_VOLUME);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.cx, 42);
    EXPECT_EQ(t.cy, 95);
    EXPECT_EQ(t.items, ARRAYSIZE(kVolumeItems));
    EXPECT_EQ(t.caption, L"");
    const DWORD kWanted = DS_SETFONT | DS_FIXEDSYS | DS_MODALFRAME | WS_POPUP;
    EXPECT_EQ(t.style & kWanted, kWanted);
    EXPECT_EQ(t.style & (WS_CAPTION | WS_VISIBLE), 0u);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, L"MS Shell Dlg");

    WindowPtr dialog = CreateHiddenDialog(IDD_VOLUME);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(IsWindowVisible(dialog.get()));
    ExpectItems(dialog.get(), kVolumeItems);
}

// ---- version ------------------------------------------------------------------------------

TEST(ResourceVersion, Says601InRussian)
{
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &unused);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00060000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00060000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010000u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0419);
    EXPECT_EQ(translation[1], 1200);

    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } values[] = {
        {L"ProductName", L"Проигрыватель Vistrel"},
        {L"CompanyName", L"Orbenta"},
        {L"OriginalFilename", L"VistrelPlayer.exe"},
        {L"FileVersion", L"6.0.1"},
        {L"ProductVersion", L"6.0.1"},
    };
    for (const auto& v : values) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\041904B0\\") + v.key;
        wchar_t* text = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << query;
        EXPECT_EQ(std::wstring(text), std::wstring(v.value));
    }
}

}  // namespace
