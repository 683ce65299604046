/* SPDX-FileCopyrightText: 2026 The Borvane developers
 * SPDX-License-Identifier: GPL-3.0-or-later
 *
 * plotwait: clicks with the X server's pointer (XTest) at a point of a window's client area and
 * prints the milliseconds from the click until a viewable window of another title shows, inside
 * a rectangle of its client area, a pixel other than the rectangle's first one: the time a user
 * waits from a button to what it draws.
 *   plotwait CLICK_TITLE X Y SHOW_TITLE RX RY RW RH TIMEOUT_MS
 * Exit 0 and the time on standard output; 1 on timeout.
 * Build: cc -O2 -o plotwait plotwait.c -lX11 -lXtst (libx11-dev, libxtst-dev). */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* The viewable window of that title, searched a few levels below w (a window manager's frames). */
static Window find(Display *d, Window w, const char *title, int depth)
{
    char *name = NULL;
    if (XFetchName(d, w, &name) && name) {
        const int hit = strcmp(name, title) == 0;
        XFree(name);
        XWindowAttributes a;
        if (hit && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) return w;
    }
    if (depth > 3) return 0;
    Window root, parent, *kids = NULL, hit = 0;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &kids, &n)) return 0;
    for (unsigned i = 0; i < n && !hit; i++)
        hit = find(d, kids[i], title, depth + 1);
    if (kids) XFree(kids);
    return hit;
}

static int ignore(Display *d, XErrorEvent *e)
{
    (void)d;
    (void)e;
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 10) {
        fprintf(stderr, "usage: plotwait CLICK_TITLE X Y SHOW_TITLE RX RY RW RH TIMEOUT_MS\n");
        return 2;
    }
    const int x = atoi(argv[2]), y = atoi(argv[3]);
    const int rx = atoi(argv[5]), ry = atoi(argv[6]), rw = atoi(argv[7]), rh = atoi(argv[8]);
    const double limit = atof(argv[9]);
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "no display\n");
        return 2;
    }
    XSetErrorHandler(ignore);
    const Window clicked = find(d, DefaultRootWindow(d), argv[1], 0);
    if (!clicked) {
        fprintf(stderr, "no window titled %s\n", argv[1]);
        return 2;
    }
    int sx, sy;
    Window child;
    XTranslateCoordinates(d, clicked, DefaultRootWindow(d), x, y, &sx, &sy, &child);
    XTestFakeMotionEvent(d, -1, sx, sy, 0);
    XSync(d, False);
    usleep(100000); /* the pointer rests on the button, as a user's does */
    const double t0 = nowMs();
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
    double t;
    while ((t = nowMs() - t0) < limit) {
        const Window shown = find(d, DefaultRootWindow(d), argv[4], 0);
        XImage *image =
            shown ? XGetImage(d, shown, rx, ry, (unsigned)rw, (unsigned)rh, AllPlanes, ZPixmap)
                  : NULL;
        if (image) {
            const unsigned long first = XGetPixel(image, 0, 0);
            int differs = 0;
            for (int j = 0; j < rh && !differs; j++)
                for (int i = 0; i < rw && !differs; i++)
                    differs = XGetPixel(image, i, j) != first;
            XDestroyImage(image);
            if (differs) {
                printf("%.1f\n", t);
                return 0;
            }
        }
        usleep(500);
    }
    printf("timeout\n");
    return 1;
}
