#pragma once

#include <QString>
#include <cstddef>
#include <sys/types.h>

// An open file that an encoder writes through, checking every call: the encoders themselves
// report a failed write nowhere else (some not even when the file is finished), so the first
// failure is kept here and told when asked.
class FileDescriptorOutput {
public:
    explicit FileDescriptorOutput(int fd);
    // Closes the descriptor unless it was closed or released.
    ~FileDescriptorOutput();
    FileDescriptorOutput(const FileDescriptorOutput&) = delete;
    FileDescriptorOutput& operator=(const FileDescriptorOutput&) = delete;

    int fd() const { return m_fd; }
    // Writes all of data at the current position, or notes why not. False after any failure.
    bool write(const void* data, size_t size);
    // Writes all of data at offset without moving the position, or notes why not.
    bool writeAt(off_t offset, const void* data, size_t size);
    // Keeps errno as the failure unless an earlier one is kept.
    void noteFailure();
    // The first failure's description, empty when every call went well.
    QString failure() const;
    // Closes the descriptor; the first failure, the closing's included.
    QString close();
    // Gives the descriptor back to its caller, unclosed.
    int release();

private:
    bool put(const void* data, size_t size, off_t offset); // offset < 0: at the current position

    int m_fd;
    int m_error = 0; // errno of the first failed call
};
