// Prints the monotonic time in milliseconds, then becomes the program given: the start of a start-up
// measurement, on the same clock the programs report their first paint on.
#include <cstdio>
#include <ctime>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: launch-timer PROGRAM [ARGS...]\n");
        return 2;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
    std::fflush(stdout);
    execvp(argv[1], argv + 1);
    std::perror("launch-timer");
    return 127;
}
