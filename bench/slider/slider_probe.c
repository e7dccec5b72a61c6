/* slider_probe: reads numbered pictures back from the X screen, fast.
 * A host (Linux) program, built by run_slider_bench.sh with the host compiler.
 * A numbered picture carries red 0x80, green n / 256, blue n % 256 in its
 * corner block; any other colour reads as -1.
 *
 *   slider_probe find RRGGBB
 *       prints "x y w h", the bounding box of the pixels of that colour on
 *       the whole screen (nothing and exit 1 when there is none)
 *   slider_probe watch X Y SECONDS [PAUSE_US]
 *       reads the pixel at X,Y of the screen until SECONDS have passed or
 *       SIGTERM/SIGINT comes, PAUSE_US microseconds between readings
 *       (default 1000); prints "T_NS FRAME" (CLOCK_REALTIME, as date +%s%N)
 *       for the first reading and for every change, and at the end
 *       "# samples N from T0_NS to T1_NS"
 *   slider_probe shot X Y W H
 *       prints the pixels of a screen rectangle as "x y RRGGBB" lines
 *   slider_probe appear RRGGBB SECONDS [PAUSE_US]
 *       waits for a picture of that colour anywhere on the screen: reads
 *       every 16th row of the screen, PAUSE_US microseconds between readings
 *       (default 2000), until at least 256 of those pixels have the colour;
 *       prints "T_NS PIXELS READINGS" (CLOCK_REALTIME) of that reading, or
 *       nothing and exit 1 when SECONDS pass first. Exit 3 when the colour
 *       is there at the first reading already.
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>
#include <unistd.h>

static volatile sig_atomic_t g_stop = 0;

static void on_signal(int sig)
{
    (void)sig;
    g_stop = 1;
}

static long long now_ns(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

static unsigned long rgb_of(XImage* image, int x, int y)
{
    const unsigned long p = XGetPixel(image, x, y);
    /* Xvfb at depth 24: 0x00RRGGBB with the usual masks. */
    return ((p & image->red_mask) >> 16 & 0xFF) << 16 | ((p & image->green_mask) >> 8 & 0xFF) << 8 |
           (p & image->blue_mask & 0xFF);
}

static int frame_of(unsigned long rgb)
{
    if ((rgb >> 16 & 0xFF) != 0x80)
        return -1;
    return (int)(rgb & 0xFFFF);
}

static int find(Display* dpy, Window root, unsigned long want)
{
    XWindowAttributes wa;
    XGetWindowAttributes(dpy, root, &wa);
    XImage* image = XGetImage(dpy, root, 0, 0, wa.width, wa.height, AllPlanes, ZPixmap);
    if (image == NULL)
        return 2;
    int x0 = wa.width, y0 = wa.height, x1 = -1, y1 = -1;
    for (int y = 0; y < wa.height; ++y) {
        for (int x = 0; x < wa.width; ++x) {
            if (rgb_of(image, x, y) != want)
                continue;
            if (x < x0) x0 = x;
            if (y < y0) y0 = y;
            if (x > x1) x1 = x;
            if (y > y1) y1 = y;
        }
    }
    XDestroyImage(image);
    if (x1 < 0)
        return 1;
    printf("%d %d %d %d\n", x0, y0, x1 - x0 + 1, y1 - y0 + 1);
    return 0;
}

static int shot(Display* dpy, Window root, int x, int y, int w, int h)
{
    XImage* image = XGetImage(dpy, root, x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
    if (image == NULL)
        return 2;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            printf("%d %d %06lX\n", x + i, y + j, rgb_of(image, i, j));
    XDestroyImage(image);
    return 0;
}

static int watch(Display* dpy, Window root, int x, int y, double seconds, long pause_us)
{
    /* A shared-memory image of one pixel: no copy through the socket. */
    XShmSegmentInfo shm;
    XImage* image = NULL;
    const int screen = DefaultScreen(dpy);
    if (XShmQueryExtension(dpy)) {
        image = XShmCreateImage(dpy, DefaultVisual(dpy, screen), (unsigned)DefaultDepth(dpy, screen), ZPixmap,
                                NULL, &shm, 1, 1);
        if (image != NULL) {
            shm.shmid = shmget(IPC_PRIVATE, (size_t)image->bytes_per_line * image->height, IPC_CREAT | 0600);
            shm.shmaddr = image->data = shmat(shm.shmid, NULL, 0);
            shm.readOnly = False;
            if (shm.shmid < 0 || !XShmAttach(dpy, &shm)) {
                XDestroyImage(image);
                image = NULL;
            }
            XSync(dpy, False);
            if (shm.shmid >= 0)
                shmctl(shm.shmid, IPC_RMID, NULL);  /* goes when both sides let go */
        }
    }
    const long long start = now_ns();
    const long long end = start + (long long)(seconds * 1e9);
    long long t = start;
    long samples = 0;
    int last = -2;
    while (!g_stop && t < end) {
        int frame;
        if (image != NULL) {
            XShmGetImage(dpy, root, image, x, y, AllPlanes);
            frame = frame_of(rgb_of(image, 0, 0));
        } else {
            XImage* one = XGetImage(dpy, root, x, y, 1, 1, AllPlanes, ZPixmap);
            frame = one != NULL ? frame_of(rgb_of(one, 0, 0)) : -1;
            if (one != NULL)
                XDestroyImage(one);
        }
        t = now_ns();
        ++samples;
        if (frame != last) {
            printf("%lld %d\n", t, frame);
            last = frame;
        }
        if (pause_us > 0)
            usleep((useconds_t)pause_us);
    }
    printf("# samples %ld from %lld to %lld\n", samples, start, t);
    fflush(stdout);
    if (image != NULL) {
        XShmDetach(dpy, &shm);
        XDestroyImage(image);
        shmdt(shm.shmaddr);
    }
    return 0;
}

/* A one-row shared-memory image, or null when the extension is missing. */
static XImage* row_image(Display* dpy, XShmSegmentInfo* shm, unsigned width)
{
    const int screen = DefaultScreen(dpy);
    if (!XShmQueryExtension(dpy))
        return NULL;
    XImage* image = XShmCreateImage(dpy, DefaultVisual(dpy, screen), (unsigned)DefaultDepth(dpy, screen), ZPixmap,
                                    NULL, shm, width, 1);
    if (image == NULL)
        return NULL;
    shm->shmid = shmget(IPC_PRIVATE, (size_t)image->bytes_per_line, IPC_CREAT | 0600);
    shm->shmaddr = image->data = shm->shmid >= 0 ? shmat(shm->shmid, NULL, 0) : (char*)-1;
    shm->readOnly = False;
    if (shm->shmid < 0 || shm->shmaddr == (char*)-1 || !XShmAttach(dpy, shm)) {
        if (shm->shmid >= 0)
            shmctl(shm->shmid, IPC_RMID, NULL);
        image->data = NULL;
        XDestroyImage(image);
        return NULL;
    }
    XSync(dpy, False);
    shmctl(shm->shmid, IPC_RMID, NULL); /* goes when both sides let go */
    return image;
}

static int appear(Display* dpy, Window root, unsigned long want, double seconds, long pause_us)
{
    XWindowAttributes wa;
    XGetWindowAttributes(dpy, root, &wa);
    XShmSegmentInfo shm;
    XImage* row = row_image(dpy, &shm, (unsigned)wa.width);
    const long long end = now_ns() + (long long)(seconds * 1e9);
    long readings = 0;
    int result = 1;
    while (!g_stop && now_ns() < end) {
        long count = 0;
        for (int y = 0; y < wa.height; y += 16) {
            XImage* image = row;
            if (row != NULL)
                XShmGetImage(dpy, root, row, 0, y, AllPlanes);
            else
                image = XGetImage(dpy, root, 0, y, (unsigned)wa.width, 1, AllPlanes, ZPixmap);
            if (image == NULL)
                continue;
            for (int x = 0; x < wa.width; ++x)
                count += rgb_of(image, x, 0) == want;
            if (image != row)
                XDestroyImage(image);
        }
        const long long t = now_ns();
        ++readings;
        if (count >= 256) {
            printf("%lld %ld %ld\n", t, count, readings);
            result = readings == 1 ? 3 : 0;
            break;
        }
        if (pause_us > 0)
            usleep((useconds_t)pause_us);
    }
    fflush(stdout);
    if (row != NULL) {
        XShmDetach(dpy, &shm);
        XDestroyImage(row);
        shmdt(shm.shmaddr);
    }
    return result;
}

int main(int argc, char** argv)
{
    Display* dpy = XOpenDisplay(NULL);
    if (dpy == NULL) {
        fprintf(stderr, "slider_probe: cannot open the display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(dpy);
    signal(SIGTERM, on_signal);
    signal(SIGINT, on_signal);
    if (argc == 3 && strcmp(argv[1], "find") == 0)
        return find(dpy, root, strtoul(argv[2], NULL, 16));
    if (argc == 6 && strcmp(argv[1], "shot") == 0)
        return shot(dpy, root, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    if ((argc == 5 || argc == 6) && strcmp(argv[1], "watch") == 0)
        return watch(dpy, root, atoi(argv[2]), atoi(argv[3]), atof(argv[4]), argc == 6 ? atol(argv[5]) : 1000);
    if ((argc == 4 || argc == 5) && strcmp(argv[1], "appear") == 0)
        return appear(dpy, root, strtoul(argv[2], NULL, 16), atof(argv[3]), argc == 5 ? atol(argv[4]) : 2000);
    fprintf(stderr, "usage: slider_probe find RRGGBB | watch X Y SECONDS [PAUSE_US] | shot X Y W H"
                    " | appear RRGGBB SECONDS [PAUSE_US]\n");
    return 2;
}
