// bench-run: runs one command and reports its elapsed time and peak memory,
// as /usr/bin/time does, with a finer clock.
//
//   bench-run DIR COMMAND [ARG...]
//
// Runs COMMAND in DIR with its standard input, output and error on
// /dev/null, and prints "SECONDS MAXRSS-KB STATUS": the wall-clock time from
// fork to exit, the largest resident set of the command and of any process
// it waited for (wait4's rusage), and its exit status (128 + signal when a
// signal ended it, 127 when it could not be started).
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        fputs("usage: bench-run DIR COMMAND [ARG...]\n", stderr);
        return 2;
    }
    timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = fork();
    if (child < 0) {
        perror("bench-run: fork");
        return 1;
    }
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        if (null < 0 || chdir(argv[1]) != 0)
            _exit(127);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) {
        perror("bench-run: wait4");
        return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    double seconds = double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) * 1e-9;
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    printf("%.6f %ld %d\n", seconds, usage.ru_maxrss, code);
    return 0;
}
