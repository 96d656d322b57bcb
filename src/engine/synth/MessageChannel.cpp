#include "engine/synth/MessageChannel.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A message larger than this is a broken peer, not a block of speech.
constexpr uint32_t maximumMessage = 64u << 20;
} // namespace

MessageChannel::MessageChannel(int socket)
    : m_socket(socket)
{
}

MessageChannel::~MessageChannel()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

bool MessageChannel::send(const QByteArray& message)
{
    const auto size = static_cast<uint32_t>(message.size());
    QByteArray frame(reinterpret_cast<const char*>(&size), sizeof size);
    frame.append(message);
    const char* data = frame.constData();
    size_t left = static_cast<size_t>(frame.size());
    while (left > 0) {
        const ssize_t written = ::send(m_socket, data, left, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

bool MessageChannel::pending() const
{
    pollfd readable { m_socket, POLLIN, 0 };
    return ::poll(&readable, 1, 0) > 0;
}

MessageChannel::Received MessageChannel::receive(std::chrono::milliseconds timeout)
{
    const bool unbounded = timeout.count() < 0;
    const auto deadline = std::chrono::steady_clock::now() + (unbounded ? std::chrono::milliseconds(0) : timeout);
    uint32_t size = 0;
    Received result;
    result.status = readExactly(reinterpret_cast<char*>(&size), sizeof size, deadline, unbounded);
    if (result.status != Status::Message)
        return result;
    if (size > maximumMessage)
        return { Status::Closed, {} };
    result.message.resize(static_cast<qsizetype>(size));
    result.status = readExactly(result.message.data(), size, deadline, unbounded);
    if (result.status != Status::Message)
        result.message.clear();
    return result;
}

MessageChannel::Status MessageChannel::readExactly(
    char* data, size_t size, std::chrono::steady_clock::time_point deadline, bool unbounded)
{
    while (size > 0) {
        int wait = -1;
        if (!unbounded) {
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return Status::TimedOut;
            wait = static_cast<int>(left.count());
        }
        pollfd readable { m_socket, POLLIN, 0 };
        const int ready = ::poll(&readable, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Status::Closed;
        if (ready == 0)
            return Status::TimedOut;
        const ssize_t got = ::recv(m_socket, data, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Status::Closed;
        data += got;
        size -= static_cast<size_t>(got);
    }
    return Status::Message;
}
