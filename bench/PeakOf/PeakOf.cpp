// PeakOf FILE PROGRAM [ARG ...]: runs PROGRAM and writes its own peak memory in KiB to FILE once it
// has ended, then ends as it ended. A program started straight from a large process carries that
// process's peak through exec; started from this small one, it carries next to nothing. SIGTERM
// and SIGINT are passed on to the program.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace
{
pid_t child = 0;

void passOn(int signal)
{
    if (child > 0)
        kill(child, signal);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 127;
    // Set before the fork, so that no signal is lost; exec gives the program the defaults back.
    std::signal(SIGTERM, passOn);
    std::signal(SIGINT, passOn);
    child = fork();
    if (child < 0)
        return 127;
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return 127;
    }
    if (FILE* out = std::fopen(argv[1], "w")) {
        std::fprintf(out, "%ld\n", usage.ru_maxrss);
        std::fclose(out);
    }
    if (WIFSIGNALED(status)) {
        std::signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 127;
}
