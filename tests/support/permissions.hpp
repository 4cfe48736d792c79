#pragma once
// File permissions that bind the superuser too. The tests run as root in CI, and the superuser may
// write any file whatever its permissions say. Tests that need a file or folder that cannot be
// written give up the capabilities that override permissions, which no ordinary user has.

namespace test_support {

// Whether permissions can be made to bind: always for an ordinary user; for the superuser when it
// may give up those capabilities (a container may not allow it).
bool permissions_can_bind();

// In a child process before it starts a program: removes the capabilities that override
// permissions from the bounding set, so that the program never has them. False when the system
// refuses.
bool drop_permission_override_for_exec();

// Within its scope this process lacks the capabilities that override permissions (nothing changes
// for an ordinary user).
class PermissionsBind {
  public:
    PermissionsBind();
    ~PermissionsBind();
    PermissionsBind(const PermissionsBind&) = delete;
    PermissionsBind& operator=(const PermissionsBind&) = delete;

    // Whether permissions bind within the scope.
    bool active() const noexcept { return active_; }

  private:
    bool active_ = false;
    bool restore_ = false;
    unsigned saved_effective_ = 0;
};

}  // namespace test_support
