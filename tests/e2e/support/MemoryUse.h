#pragma once

#include <QtGlobal>

// The process's memory as the kernel counts it (/proc/self/status), in bytes; -1 when unknown.
namespace MemoryUse {

qint64 resident(); // VmRSS
qint64 residentPeak(); // VmHWM: the most resident since the process started

} // namespace MemoryUse
