#pragma once

#include <QByteArray>
#include <chrono>
#include <sys/socket.h>

// Length-framed messages both ways over one connected stream socket, which it owns. A peer
// that has gone away is reported, never raised as SIGPIPE.
class MessageChannel {
public:
    enum class Status { Message, Closed, TimedOut };
    struct Received {
        Status status = Status::Closed;
        QByteArray message;
    };

    explicit MessageChannel(int socket);
    ~MessageChannel();
    MessageChannel(const MessageChannel&) = delete;
    MessageChannel& operator=(const MessageChannel&) = delete;

    // False when the peer is gone.
    bool send(const QByteArray& message);
    // True when the peer has sent something (or gone away) that receive() would read now.
    bool pending() const;
    // Waits for one whole message; a negative timeout waits for ever.
    Received receive(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

private:
    static void skipSent(msghdr& frame, size_t sent);
    // Message when the socket may be read now; TimedOut or Closed otherwise.
    Status awaitReadable(std::chrono::steady_clock::time_point deadline, bool unbounded);
    Status readExactly(char* data, size_t size, std::chrono::steady_clock::time_point deadline, bool unbounded);

    int m_socket;
};
