#include "app/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

void prepareStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lower descriptors are open by now, so this one is the lowest
        // free one and open() gives it.
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened > fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
}
