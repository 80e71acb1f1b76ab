/* Clicks at a point of the screen and reports when a region of it changes: the time a user
 * waits for what a click shows, seen from outside the program. The click is made with the
 * XTest extension (libXtst, loaded at run time: only its run-time library need be there);
 * the region is read every millisecond or so for three seconds.
 *   screen_watch X Y W H CLICK_X CLICK_Y
 * Prints change_ms=<ms after the button's release> for every change seen. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static unsigned long regionHash(Display* d, int x, int y, int w, int h)
{
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
    if (!image) return 0;
    unsigned long hash = 1469598103934665603UL;
    const size_t n = (size_t)image->bytes_per_line * (size_t)h;
    for (size_t i = 0; i < n; ++i) {
        hash ^= (unsigned char)image->data[i];
        hash *= 1099511628211UL;
    }
    XDestroyImage(image);
    return hash;
}

int main(int argc, char** argv)
{
    if (argc != 7) {
        fprintf(stderr, "usage: screen_watch X Y W H CLICK_X CLICK_Y\n");
        return 2;
    }
    void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
    typedef int (*ButtonEvent)(Display*, unsigned int, int, unsigned long);
    typedef int (*MotionEvent)(Display*, int, int, int, unsigned long);
    ButtonEvent button = xtst ? (ButtonEvent)dlsym(xtst, "XTestFakeButtonEvent") : NULL;
    MotionEvent motion = xtst ? (MotionEvent)dlsym(xtst, "XTestFakeMotionEvent") : NULL;
    Display* d = XOpenDisplay(NULL);
    if (!d || !button || !motion) {
        fprintf(stderr, "screen_watch: no X display or no libXtst.so.6\n");
        return 1;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]), w = atoi(argv[3]), h = atoi(argv[4]);
    motion(d, -1, atoi(argv[5]), atoi(argv[6]), 0);
    XFlush(d);
    usleep(200000);
    unsigned long last = regionHash(d, x, y, w, h);
    button(d, 1, True, 0);
    XFlush(d);
    usleep(30000);
    const double released = nowMs();
    button(d, 1, False, 0);
    XFlush(d);
    while (nowMs() - released < 3000) {
        const unsigned long hash = regionHash(d, x, y, w, h);
        if (hash != last) {
            printf("change_ms=%.1f\n", nowMs() - released);
            fflush(stdout);
            last = hash;
        }
    }
    XCloseDisplay(d);
    return 0;
}
