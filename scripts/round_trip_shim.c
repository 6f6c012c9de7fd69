/* A round trip for every file-system call a program makes below one directory, as a network
 * file system would cost it: loaded with LD_PRELOAD into the peers of scripts/bench so that
 * they pay for each call to the destination what farcast-run pays for each call to a
 * simulated server with latency_ms.
 *
 *   ROUND_TRIP_PREFIX=/abs/dir ROUND_TRIP_MS=2 LD_PRELOAD=round_trip_shim.so rsync ...
 *
 * Calls by name (open, stat, rename, mkdir, chmod, utimensat...) wait when their path lies
 * below the prefix (relative paths are taken from the working directory or the directory
 * descriptor); calls on a descriptor (read, write, fstat, fchmod, close...) wait when the
 * descriptor was opened below it. Built by scripts/bench with the system's C compiler. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static const char* prefix;
static size_t prefixLength;
static struct timespec delay;
static unsigned char remote[65536]; /* descriptors opened below the prefix */

__attribute__((constructor)) static void Start(void) {
    prefix = getenv("ROUND_TRIP_PREFIX");
    prefixLength = prefix ? strlen(prefix) : 0;
    const char* ms = getenv("ROUND_TRIP_MS");
    const double ns = ms ? atof(ms) * 1e6 : 0;
    delay.tv_sec = (time_t)(ns / 1e9);
    delay.tv_nsec = (long)(ns - (double)delay.tv_sec * 1e9);
}

static void Trip(void) {
    if (delay.tv_sec > 0 || delay.tv_nsec > 0)
        nanosleep(&delay, NULL);
}

static int Below(int dirfd, const char* path) {
    char full[PATH_MAX * 2];
    if (!prefix || !path)
        return 0;
    if (path[0] == '/') {
        snprintf(full, sizeof full, "%s", path);
    } else {
        char dir[PATH_MAX];
        if (dirfd == AT_FDCWD) {
            if (!getcwd(dir, sizeof dir))
                return 0;
        } else {
            char link[64];
            snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
            const ssize_t n = readlink(link, dir, sizeof dir - 1);
            if (n < 0)
                return 0;
            dir[n] = '\0';
        }
        snprintf(full, sizeof full, "%s/%s", dir, path);
    }
    return strncmp(full, prefix, prefixLength) == 0 &&
           (full[prefixLength] == '/' || full[prefixLength] == '\0');
}

static int ByPath(int dirfd, const char* path) {
    const int below = Below(dirfd, path);
    if (below)
        Trip();
    return below;
}

static void ByDescriptor(int fd) {
    if (fd >= 0 && fd < (int)sizeof remote && remote[fd])
        Trip();
}

static int Opened(int fd, int below) {
    if (fd >= 0 && fd < (int)sizeof remote)
        remote[fd] = (unsigned char)below;
    return fd;
}

#define REAL(name)                        \
    static __typeof__(&name) real = NULL; \
    if (!real)                            \
    real = (__typeof__(&name))dlsym(RTLD_NEXT, #name)

#define OPEN_BY_PATH(name)                             \
    int name(const char* path, int flags, ...) {       \
        REAL(name);                                    \
        mode_t mode = 0;                               \
        if (flags & (O_CREAT | O_TMPFILE)) {           \
            va_list args;                              \
            va_start(args, flags);                     \
            mode = va_arg(args, mode_t);               \
            va_end(args);                              \
        }                                              \
        const int below = ByPath(AT_FDCWD, path);      \
        return Opened(real(path, flags, mode), below); \
    }
OPEN_BY_PATH(open)
OPEN_BY_PATH(open64)

#define OPEN_AT(name)                                         \
    int name(int dirfd, const char* path, int flags, ...) {   \
        REAL(name);                                           \
        mode_t mode = 0;                                      \
        if (flags & (O_CREAT | O_TMPFILE)) {                  \
            va_list args;                                     \
            va_start(args, flags);                            \
            mode = va_arg(args, mode_t);                      \
            va_end(args);                                     \
        }                                                     \
        const int below = ByPath(dirfd, path);                \
        return Opened(real(dirfd, path, flags, mode), below); \
    }
OPEN_AT(openat)
OPEN_AT(openat64)

#define PATH_CALL(name, params, args, path) \
    int name params {                       \
        REAL(name);                         \
        ByPath(AT_FDCWD, path);             \
        return real args;                   \
    }
#define AT_CALL(name, params, args, dirfd, path) \
    int name params {                            \
        REAL(name);                              \
        ByPath(dirfd, path);                     \
        return real args;                        \
    }
#define FD_CALL(type, name, params, args, fd) \
    type name params {                        \
        REAL(name);                           \
        ByDescriptor(fd);                     \
        return real args;                     \
    }

PATH_CALL(stat, (const char* p, struct stat* s), (p, s), p)
PATH_CALL(lstat, (const char* p, struct stat* s), (p, s), p)
PATH_CALL(stat64, (const char* p, struct stat64* s), (p, s), p)
PATH_CALL(lstat64, (const char* p, struct stat64* s), (p, s), p)
PATH_CALL(mkdir, (const char* p, mode_t m), (p, m), p)
PATH_CALL(rmdir, (const char* p), (p), p)
PATH_CALL(unlink, (const char* p), (p), p)
PATH_CALL(chmod, (const char* p, mode_t m), (p, m), p)
PATH_CALL(lchown, (const char* p, uid_t u, gid_t g), (p, u, g), p)
PATH_CALL(chown, (const char* p, uid_t u, gid_t g), (p, u, g), p)
PATH_CALL(rename, (const char* a, const char* b), (a, b), b)
AT_CALL(fstatat, (int d, const char* p, struct stat* s, int f), (d, p, s, f), d, p)
AT_CALL(fstatat64, (int d, const char* p, struct stat64* s, int f), (d, p, s, f), d, p)
AT_CALL(statx, (int d, const char* p, int f, unsigned m, struct statx* s), (d, p, f, m, s), d, p)
AT_CALL(mkdirat, (int d, const char* p, mode_t m), (d, p, m), d, p)
AT_CALL(unlinkat, (int d, const char* p, int f), (d, p, f), d, p)
AT_CALL(fchmodat, (int d, const char* p, mode_t m, int f), (d, p, m, f), d, p)
AT_CALL(fchownat, (int d, const char* p, uid_t u, gid_t g, int f), (d, p, u, g, f), d, p)
AT_CALL(utimensat, (int d, const char* p, const struct timespec t[2], int f), (d, p, t, f), d, p)
AT_CALL(renameat, (int d, const char* a, int e, const char* b), (d, a, e, b), e, b)
FD_CALL(ssize_t, write, (int fd, const void* b, size_t n), (fd, b, n), fd)
FD_CALL(ssize_t, read, (int fd, void* b, size_t n), (fd, b, n), fd)
FD_CALL(int, fstat, (int fd, struct stat* s), (fd, s), fd)
FD_CALL(int, fstat64, (int fd, struct stat64* s), (fd, s), fd)
FD_CALL(int, fchmod, (int fd, mode_t m), (fd, m), fd)
FD_CALL(int, fchown, (int fd, uid_t u, gid_t g), (fd, u, g), fd)
FD_CALL(int, futimens, (int fd, const struct timespec t[2]), (fd, t), fd)
FD_CALL(int, ftruncate, (int fd, off_t n), (fd, n), fd)
FD_CALL(int, fsync, (int fd), (fd), fd)

int close(int fd) {
    REAL(close);
    ByDescriptor(fd);
    Opened(fd, 0);
    return real(fd);
}
