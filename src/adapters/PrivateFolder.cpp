#include "adapters/AdapterArgs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel::adapter {

bool reachPrivateFolder(const char* pathVariable, const char* descriptorVariable, Args& args, std::string* error)
{
    const char* folder = std::getenv(pathVariable);
    if (!folder || !*folder)
        return true;
    const char* number = std::getenv(descriptorVariable);
    char* end = nullptr;
    const long given = number ? std::strtol(number, &end, 10) : -1;
    int fd = given >= 3 && given < 1024 && end && *end == '\0' ? static_cast<int>(given) : -1;
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        *error = std::string("the folder ") + folder + " was not handed over as this user's private folder";
        return false;
    }
    // Clear of the low numbers, which the adapter hands out to pipes of its own.
    if (fd < 10) {
        const int high = ::fcntl(fd, F_DUPFD, 10);
        if (high < 0) {
            *error = std::strerror(errno);
            return false;
        }
        fd = high;
    }
    ::fcntl(fd, F_SETFD, 0); // the encoder this process becomes keeps it
    const std::string prefix = std::string(folder) + '/';
    const std::string through = "/proc/self/fd/" + std::to_string(fd) + '/';
    for (std::string& a : args)
        if (a.compare(0, prefix.size(), prefix) == 0)
            a = through + a.substr(prefix.size());
    return true;
}

} // namespace varnel::adapter
