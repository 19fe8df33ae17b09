#include "Nobody.h"

#include <filesystem>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentory::test {

namespace {

constexpr uid_t kNobody = 65534;

} // namespace

bool runningAsRoot() {
    return ::geteuid() == 0;
}

bool becomeNobody() {
    return !runningAsRoot() ||
           (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
            ::setresuid(kNobody, kNobody, kNobody) == 0);
}

int runAsNobody(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(becomeNobody() ? body() : 99);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> asNobody(std::vector<std::string> argv) {
    if (runningAsRoot()) {
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    return argv;
}

void openUpForEveryone(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::all,
                                 std::filesystem::perm_options::replace);
}

} // namespace zentory::test
