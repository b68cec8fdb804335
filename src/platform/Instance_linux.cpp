#include "Instance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string LockPath(const std::string& name) {
    // The runtime folder is private to the user; /tmp is shared, so the uid
    // keeps users apart there.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string file = name + "-" + std::to_string(::getuid()) + ".lock";
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/" + file;
    }
    return "/tmp/" + file;
}

} // namespace

InstanceClaim::InstanceClaim(const std::string& name) {
    const std::string path = LockPath(name);
    // O_NOFOLLOW: in /tmp another user could plant a symlink under our name.
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || st.st_uid != ::getuid()) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    int rc = 0;
    do {
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        previous_ = errno == EWOULDBLOCK;
        ::close(fd_);
        fd_ = -1;
    }
}

InstanceClaim::~InstanceClaim() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}
