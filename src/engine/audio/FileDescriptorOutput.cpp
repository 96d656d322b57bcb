#include "engine/audio/FileDescriptorOutput.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

FileDescriptorOutput::FileDescriptorOutput(int fd)
    : m_fd(fd)
{
}

FileDescriptorOutput::~FileDescriptorOutput()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileDescriptorOutput::write(const void* data, size_t size)
{
    return put(data, size, -1);
}

bool FileDescriptorOutput::writeAt(off_t offset, const void* data, size_t size)
{
    return put(data, size, offset);
}

bool FileDescriptorOutput::put(const void* data, size_t size, off_t offset)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0 && m_error == 0) {
        const ssize_t done = offset < 0 ? ::write(m_fd, bytes, size) : ::pwrite(m_fd, bytes, size, offset);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            // A write that takes nothing without saying why is a full disk.
            if (done == 0)
                errno = ENOSPC;
            noteFailure();
            break;
        }
        bytes += done;
        size -= static_cast<size_t>(done);
        if (offset >= 0)
            offset += done;
    }
    return m_error == 0;
}

void FileDescriptorOutput::noteFailure()
{
    if (m_error == 0)
        m_error = errno;
}

QString FileDescriptorOutput::failure() const
{
    return m_error != 0 ? qt_error_string(m_error) : QString();
}

QString FileDescriptorOutput::close()
{
    if (m_fd >= 0 && ::close(std::exchange(m_fd, -1)) != 0)
        noteFailure();
    return failure();
}

int FileDescriptorOutput::release()
{
    return std::exchange(m_fd, -1);
}
