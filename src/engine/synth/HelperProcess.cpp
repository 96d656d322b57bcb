#include "engine/synth/HelperProcess.h"

#include "platform/PlatformError.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

// Reaps the child, waiting at most about a second before it is killed.
void reap(pid_t pid)
{
    for (int tries = 0; tries < 100; ++tries) {
        const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
}
} // namespace

HelperProcess::HelperProcess(const QString& program, const QStringList& arguments)
{
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        throw PlatformError(
            QStringLiteral("The speech synthesiser could not be started: %1").arg(qt_error_string(errno)));
    // Ours is closed with the channel whatever happens below; the child's end only here.
    m_channel = std::make_unique<MessageChannel>(sockets[0]);
    const QByteArray path = program.toLocal8Bit();
    std::vector<QByteArray> storage { path };
    storage.reserve(static_cast<size_t>(arguments.size()) + 1);
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    argv.reserve(storage.size() + 1);
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);
    SpawnActions spawn;
    posix_spawn_file_actions_adddup2(&spawn.actions, sockets[1], channelDescriptor);
    const int error = ::posix_spawn(&m_pid, path.constData(), &spawn.actions, nullptr, argv.data(), environ);
    ::close(sockets[1]);
    if (error != 0) {
        m_pid = -1;
        throw PlatformError(
            QStringLiteral("The speech synthesiser could not be started: %1: %2").arg(program, qt_error_string(error)));
    }
}

HelperProcess::~HelperProcess()
{
    // Closing the socket is the child's sign to leave.
    m_channel.reset();
    if (m_pid > 0)
        reap(m_pid);
}
