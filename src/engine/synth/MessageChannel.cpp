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
    // The length and the message go out together, without first joining them in a copy.
    uint32_t size = static_cast<uint32_t>(message.size());
    iovec parts[2]
        = { { &size, sizeof size }, { const_cast<char*>(message.constData()), static_cast<size_t>(message.size()) } };
    msghdr frame {};
    frame.msg_iov = parts;
    frame.msg_iovlen = 2;
    while (frame.msg_iovlen > 0) {
        const ssize_t written = ::sendmsg(m_socket, &frame, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        skipSent(frame, static_cast<size_t>(written));
    }
    return true;
}

void MessageChannel::skipSent(msghdr& frame, size_t sent)
{
    while (frame.msg_iovlen > 0 && sent >= frame.msg_iov->iov_len) {
        sent -= frame.msg_iov->iov_len;
        ++frame.msg_iov;
        --frame.msg_iovlen;
    }
    if (frame.msg_iovlen > 0) {
        frame.msg_iov->iov_base = static_cast<char*>(frame.msg_iov->iov_base) + sent;
        frame.msg_iov->iov_len -= sent;
    }
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
        // What has arrived is read at once; only an empty socket is waited for.
        const ssize_t got = ::recv(m_socket, data, size, MSG_DONTWAIT);
        if (got > 0) {
            data += got;
            size -= static_cast<size_t>(got);
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return Status::Closed;
        if (const Status waited = awaitReadable(deadline, unbounded); waited != Status::Message)
            return waited;
    }
    return Status::Message;
}

MessageChannel::Status MessageChannel::awaitReadable(std::chrono::steady_clock::time_point deadline, bool unbounded)
{
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
    if (ready < 0 && errno != EINTR)
        return Status::Closed;
    if (ready == 0)
        return Status::TimedOut;
    return Status::Message; // something to read, or interrupted: try again
}
