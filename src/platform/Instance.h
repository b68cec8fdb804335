#pragma once

#include <string>

// Tells whether another copy of the program already runs for this user. The
// claim is held for the lifetime of the object, so a copy started later sees
// this one; when this process ends, however it ends, the OS drops the claim.
class InstanceClaim {
public:
    // name: a short identifier of the program, used in the lock's name.
    explicit InstanceClaim(const std::string& name);
    ~InstanceClaim();

    InstanceClaim(const InstanceClaim&) = delete;
    InstanceClaim& operator=(const InstanceClaim&) = delete;

    // True when another process held the claim at construction. When the
    // lock cannot be made at all (unwritable folder, foreign file), the
    // answer is false: placing the window is worth more than avoiding an
    // overlap.
    bool PreviousInstanceRunning() const { return previous_; }

private:
    bool previous_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};
