// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A machine busier still, for exit-runs.sh -d: loaded into a Qt program (LD_PRELOAD), it makes
// Qt's Wayland event thread run late each time it is woken from its wait on a condition (the
// main thread has prepared a read for it, or the program is ending): the thread then sleeps
// BORVANE_LATE_WAKEUP_MS milliseconds before it goes on, as it may wait for a processor on a
// busy machine. Only that thread, and only its waits in Qt's own code (QWaitCondition), not
// those inside libwayland. Nothing else changes: the program runs, slower.
// With BORVANE_LATE_ANSWER_MS it also makes that thread late as it wakes others (QWaitCondition's
// wakeAll): it sleeps that long first, still holding what it holds. That is where it hands a
// window the compositor's answer to its last frame, holding the window's frame lock, after it
// has told the main thread; so the main thread may hide and destroy the window meanwhile, as it
// may on a busy machine (the Wayland stage, and window_system.h for what Qt 6.4.2 then does).
//   cc -shared -fPIC -O2 -o late-wakeup.so late-wakeup.c -ldl

#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef int (*cond_wait_fn)(pthread_cond_t *, pthread_mutex_t *);

static long milliseconds(const char *name)
{
    const char *value = getenv(name);
    return value ? atol(value) : 0;
}

static long lateness_ms(void)
{
    static long ms = -1;
    if (ms < 0) ms = milliseconds("BORVANE_LATE_WAKEUP_MS");
    return ms;
}

static long answer_lateness_ms(void)
{
    static long ms = -1;
    if (ms < 0) ms = milliseconds("BORVANE_LATE_ANSWER_MS");
    return ms;
}

static void sleep_ms(long ms)
{
    const struct timespec late = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&late, NULL);
}

// Qt names the thread after its object, "WaylandEventThread", cut to the system's 15 bytes.
static int in_event_thread(void)
{
    char name[16] = "";
    pthread_getname_np(pthread_self(), name, sizeof name);
    return strncmp(name, "WaylandEventThr", 15) == 0;
}

static int called_from_qt_core(const void *caller)
{
    Dl_info info;
    return dladdr(caller, &info) && info.dli_fname && strstr(info.dli_fname, "libQt6Core");
}

int pthread_cond_wait(pthread_cond_t *cond, pthread_mutex_t *mutex)
{
    static cond_wait_fn real;
    if (!real) real = (cond_wait_fn)dlvsym(RTLD_NEXT, "pthread_cond_wait", "GLIBC_2.3.2");
    const int result = real(cond, mutex);
    if (lateness_ms() > 0 && in_event_thread() &&
        called_from_qt_core(__builtin_return_address(0))) {
        // Woken, but not running yet: what the waiter checks once it runs (under the mutex) may
        // change meanwhile, as it may on a busy machine.
        pthread_mutex_unlock(mutex);
        sleep_ms(lateness_ms());
        pthread_mutex_lock(mutex);
    }
    return result;
}

typedef int (*cond_broadcast_fn)(pthread_cond_t *);

int pthread_cond_broadcast(pthread_cond_t *cond)
{
    static cond_broadcast_fn real;
    if (!real) real = (cond_broadcast_fn)dlvsym(RTLD_NEXT, "pthread_cond_broadcast", "GLIBC_2.3.2");
    if (answer_lateness_ms() > 0 && in_event_thread() &&
        called_from_qt_core(__builtin_return_address(0)))
        sleep_ms(answer_lateness_ms());
    return real(cond);
}
