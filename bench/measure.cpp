// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs a command as a fresh process and prints what its user waits for and
// what it holds: the milliseconds from exec to exit, the peak resident
// size in KiB and the wall-clock time of the exit in nanoseconds since the
// epoch (to compare with a file's time), "MS KIB NS". Its output goes to
// /dev/null.
//
//   measure COMMAND [ARGUMENTS...]

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: measure COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    timespec start {};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return 1;
    timespec end {};
    clock_gettime(CLOCK_MONOTONIC, &end);
    timespec wall {};
    clock_gettime(CLOCK_REALTIME, &wall);
    const double ms = (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
    std::printf("%.0f %ld %lld%09ld\n", ms, usage.ru_maxrss, static_cast<long long>(wall.tv_sec),
        wall.tv_nsec);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
