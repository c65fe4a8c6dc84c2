#include "adapters/AdapterArgs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel::adapter {

bool reachPrivateFolder(const char* variable, Args& args, std::string* error)
{
    const char* folder = std::getenv(variable);
    if (!folder || !*folder)
        return true;
    // Without O_CLOEXEC: the encoder this process becomes keeps it.
    int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        *error = std::string("the folder ") + folder + " is not this user's private folder" +
                 (fd < 0 ? std::string(": ") + std::strerror(errno) : std::string());
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // Clear of the low numbers, which the adapter hands out to pipes of its own.
    const int high = ::fcntl(fd, F_DUPFD, 10);
    if (high >= 0) {
        ::close(fd);
        fd = high;
    }
    const std::string prefix = std::string(folder) + '/';
    const std::string through = "/proc/self/fd/" + std::to_string(fd) + '/';
    for (std::string& a : args)
        if (a.compare(0, prefix.size(), prefix) == 0)
            a = through + a.substr(prefix.size());
    return true;
}

} // namespace varnel::adapter
