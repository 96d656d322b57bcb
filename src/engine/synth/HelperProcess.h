#pragma once

#include "engine/synth/MessageChannel.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <sys/types.h>

// A child program that talks to its parent over a socket it finds on file descriptor 3. The
// child goes with this object: its socket is closed, it is given a moment to leave, then killed.
class HelperProcess {
public:
    static constexpr int channelDescriptor = 3;

    // Throws PlatformError when the program cannot be started.
    HelperProcess(const QString& program, const QStringList& arguments);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    MessageChannel& channel() { return *m_channel; }
    pid_t processId() const { return m_pid; }

private:
    pid_t m_pid = -1;
    std::unique_ptr<MessageChannel> m_channel;
};
