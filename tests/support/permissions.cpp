#include "tests/support/permissions.hpp"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {
namespace {

// The capabilities by which the superuser writes, reads and searches what permissions forbid.
constexpr unsigned kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};

unsigned override_mask() {
    unsigned mask = 0;
    for (const unsigned capability : kOverrides) mask |= 1U << capability;
    return mask;
}

struct Capabilities {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
};

bool get(Capabilities& caps) {
    return ::syscall(SYS_capget, &caps.header, caps.data) == 0;
}
bool set(Capabilities& caps) {
    return ::syscall(SYS_capset, &caps.header, caps.data) == 0;
}

}  // namespace

bool drop_permission_override_for_exec() {
    if (::geteuid() != 0) return true;
    for (const unsigned capability : kOverrides) {
        if (::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) return false;
    }
    return true;
}

bool permissions_can_bind() {
    if (::geteuid() != 0) return true;
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) _exit(drop_permission_override_for_exec() ? 0 : 1);
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

PermissionsBind::PermissionsBind() {
    if (::geteuid() != 0) {
        active_ = true;
        return;
    }
    Capabilities caps;
    if (!get(caps)) return;
    saved_effective_ = caps.data[0].effective;
    caps.data[0].effective &= ~override_mask();
    active_ = restore_ = set(caps);
}

PermissionsBind::~PermissionsBind() {
    if (!restore_) return;
    Capabilities caps;
    if (!get(caps)) return;
    caps.data[0].effective = saved_effective_;
    (void)set(caps);
}

}  // namespace test_support
