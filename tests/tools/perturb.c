/* Preloaded into a program (LD_PRELOAD), widens the windows in which threads
 * race: after some mutex unlocks and around some condition signals and
 * broadcasts, the calling thread sleeps a little or yields. Any outcome this
 * provokes is one the scheduler may choose on its own, only far more often.
 *
 * PERTURB_PERMILLE: how many calls in a thousand are delayed (default 20).
 * PERTURB_US: the longest sleep in microseconds (default 300).
 * PERTURB_CALLS: which calls may be delayed, of "unlock", "signal" and
 * "broadcast" (default all three). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static int (*realUnlock)(pthread_mutex_t*);
static int (*realSignal)(pthread_cond_t*);
static int (*realBroadcast)(pthread_cond_t*);
static unsigned permille = 20;
static unsigned maxMicroseconds = 300;
static int delayUnlock = 1, delaySignal = 1, delayBroadcast = 1;
static __thread uint64_t state;

static void resolve(void) {
    realUnlock = (int (*)(pthread_mutex_t*))dlsym(RTLD_NEXT, "pthread_mutex_unlock");
    /* The condition functions come in two versions; the current one is 2.3.2. */
    realSignal = (int (*)(pthread_cond_t*))dlvsym(RTLD_NEXT, "pthread_cond_signal", "GLIBC_2.3.2");
    realBroadcast =
        (int (*)(pthread_cond_t*))dlvsym(RTLD_NEXT, "pthread_cond_broadcast", "GLIBC_2.3.2");
}

__attribute__((constructor)) static void init(void) {
    resolve();
    const char* value = getenv("PERTURB_PERMILLE");
    if (value) {
        permille = (unsigned)atoi(value);
    }
    value = getenv("PERTURB_US");
    if (value) {
        maxMicroseconds = (unsigned)atoi(value);
    }
    value = getenv("PERTURB_CALLS");
    if (value) {
        delayUnlock = strstr(value, "unlock") != NULL;
        delaySignal = strstr(value, "signal") != NULL;
        delayBroadcast = strstr(value, "broadcast") != NULL;
    }
}

static void maybeDelay(int wanted) {
    if (!wanted) {
        return;
    }
    if (state == 0) {
        state = (uint64_t)gettid() << 32 ^ (uint64_t)time(NULL) ^ 0x9E3779B97F4A7C15ull;
    }
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    if (state % 1000 >= permille) {
        return;
    }
    if ((state >> 40) & 1) {
        sched_yield();
    } else {
        struct timespec pause = {0, (long)((state >> 20) % (maxMicroseconds + 1)) * 1000};
        nanosleep(&pause, NULL);
    }
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    if (!realUnlock) { /* called before the constructor ran */
        resolve();
    }
    const int result = realUnlock(mutex);
    maybeDelay(delayUnlock);
    return result;
}

/* A condition call, with a chance of a delay before it and after it. */
static int delayedAround(int (**real)(pthread_cond_t*), pthread_cond_t* condition, int wanted) {
    if (!*real) {
        resolve();
    }
    maybeDelay(wanted);
    const int result = (*real)(condition);
    maybeDelay(wanted);
    return result;
}

int pthread_cond_signal(pthread_cond_t* condition) {
    return delayedAround(&realSignal, condition, delaySignal);
}

int pthread_cond_broadcast(pthread_cond_t* condition) {
    return delayedAround(&realBroadcast, condition, delayBroadcast);
}
