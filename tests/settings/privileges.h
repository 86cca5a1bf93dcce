#pragma once

// Tests of "cannot write here" need permissions that bite. Run as root they do not, so the
// calling thread gives up its power to override file permissions for the duration of a test.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

class FilePermissionsEnforced
{
public:
    FilePermissionsEnforced() { m_active = ::geteuid() != 0 || setDacOverride(false); }
    ~FilePermissionsEnforced()
    {
        if (::geteuid() == 0)
            setDacOverride(true);
    }
    // False when permissions still would not apply (root that cannot drop the capability).
    bool active() const { return m_active; }

private:
    static bool setDacOverride(bool on)
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::syscall(SYS_capget, &header, data) != 0)
            return false;
        const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        if (on)
            data[0].effective |= bits & data[0].permitted;
        else
            data[0].effective &= ~bits;
        return ::syscall(SYS_capset, &header, data) == 0;
    }
    bool m_active = false;
};

} // namespace testsupport
