/* Preloaded into target programs run through qemu-user (QEMU_SET_ENV=LD_PRELOAD=...).
 *
 * qemu-user passes waitid(P_PIDFD) through to the kernel but refuses clone(CLONE_PIDFD) with
 * EINVAL. QtCore's process launcher takes the first as proof that pidfds work and does not
 * check the second: QProcess then believes a child with pid -1 is running, uses an unset file
 * descriptor (often 1) as its pidfd, and finally "kills" it with kill(-1, SIGKILL), which
 * ends every process the user may signal. Answering the probe with ENOSYS makes QtCore fall
 * back to plain fork(), which qemu-user emulates. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/syscall.h>

enum { kIdTypePidfd = 3 }; /* P_PIDFD of waitid(2) */

typedef long (*SyscallFunction)(long, ...);

long syscall(long number, ...)
{
    /* The C library's syscall() reads six words whatever the call; so does this one. */
    long args[6];
    va_list list;
    va_start(list, number);
    for (int i = 0; i < 6; ++i)
        args[i] = va_arg(list, long);
    va_end(list);

    if (number == SYS_waitid && args[0] == kIdTypePidfd) {
        errno = ENOSYS;
        return -1;
    }
    static SyscallFunction next;
    if (!next)
        next = (SyscallFunction)dlsym(RTLD_NEXT, "syscall");
    return next(number, args[0], args[1], args[2], args[3], args[4], args[5]);
}

/* Programs of the build machine that the target program starts must not inherit it. */
__attribute__((constructor)) static void forgetPreload(void)
{
    unsetenv("LD_PRELOAD");
}
