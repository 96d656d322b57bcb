#pragma once

#include <initializer_list>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root passes every file permission check. Without these capabilities this process (and every
// thread it starts afterwards) meets the modes of files and folders as any other user does; it
// cannot take them back. True when the process now honours the modes.
inline bool honourFilePermissions()
{
    if (geteuid() != 0)
        return true;
    __user_cap_header_struct header {};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    for (const unsigned capability : { CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER }) {
        const unsigned bit = 1u << (capability % 32);
        data[capability / 32].effective &= ~bit;
        data[capability / 32].permitted &= ~bit;
        data[capability / 32].inheritable &= ~bit;
    }
    return syscall(SYS_capset, &header, data) == 0;
}
