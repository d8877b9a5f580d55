#include "platform/vk_launcher.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/close_range.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vk::platform
{
namespace
{
std::mutex launcherLock;
Launcher launcherOverride;

bool isExecutableFile(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The lookup happens before forking: between fork and exec a child of a threaded process may only make
// async-signal-safe calls, and a PATH search allocates.
std::string resolveProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    const std::string folders = (path != nullptr && *path != '\0') ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size())
    {
        const auto end = std::min(folders.find(':', start), folders.size());
        const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
        const std::string candidate = folder + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

void retryingClose(int fd)
{
    while (::close(fd) != 0 && errno == EINTR)
    {
    }
}
} // namespace

bool startDetachedProcess(const std::vector<std::string>& arguments)
{
    if (arguments.empty() || arguments.front().empty())
        return false;
    const std::string program = resolveProgram(arguments.front());
    if (program.empty())
        return false;

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful exec closes it silently.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;

    const pid_t child = ::fork();
    if (child < 0)
    {
        retryingClose(report[0]);
        retryingClose(report[1]);
        return false;
    }
    if (child == 0)
    {
        // The intermediate child exits at once, so the program is adopted by init and never becomes
        // our zombie; only async-signal-safe calls from here on.
        const pid_t grandchild = ::fork();
        if (grandchild == 0)
        {
            ::setsid();
            // Descriptors the host left inheritable (audio devices, sockets) stay with the host.
            ::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
            ::execve(program.c_str(), argv.data(), environ);
            const int error = errno;
            [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof(error));
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }

    retryingClose(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    const bool forked = WIFEXITED(status) && WEXITSTATUS(status) == 0;

    int error = 0;
    ssize_t received = 0;
    do
        received = ::read(report[0], &error, sizeof(error));
    while (received < 0 && errno == EINTR);
    retryingClose(report[0]);
    return forked && received == 0;
}

bool openWithDesktop(const std::string& target)
{
    // A target starting with "-" would reach the opener as an option rather than as a thing to open.
    if (target.empty() || target.front() == '-')
        return false;
    Launcher launcher;
    {
        std::lock_guard<std::mutex> lock(launcherLock);
        launcher = launcherOverride;
    }
    const std::vector<std::string> arguments{"xdg-open", target};
    return launcher ? launcher(arguments) : startDetachedProcess(arguments);
}

void setLauncherOverride(Launcher launcher)
{
    std::lock_guard<std::mutex> lock(launcherLock);
    launcherOverride = std::move(launcher);
}

} // namespace vk::platform
