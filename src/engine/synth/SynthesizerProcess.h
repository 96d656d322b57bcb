#pragma once

#include "engine/synth/HelperProcess.h"
#include "engine/synth/SynthesizerBackend.h"

#include <atomic>
#include <chrono>
#include <mutex>

// The synthesiser run in a helper process (parlora-synth), so that a fault inside the
// synthesiser library ends one text, never the program. A helper that dies or stops answering
// is ended, the text being spoken fails with PlatformError, and the next text starts a new one.
class SynthesizerProcess final : public SynthesizerBackend {
public:
    struct Options {
        QString helper = defaultHelper();
        QString dataPath; // empty: the synthesiser's own data folder
        std::chrono::milliseconds answerTimeout { 20000 };
    };

    // Throws PlatformError when the helper cannot be started or its synthesiser cannot start.
    SynthesizerProcess();
    explicit SynthesizerProcess(Options options);
    ~SynthesizerProcess() override;

    int sampleRate() const override { return m_sampleRate; }
    std::vector<SynthVoice> voices() const override { return m_voices; }
    bool synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink) override;

    // The running helper's process id, or -1 between a failure and the next text.
    pid_t processId() const { return m_processId; }

    // findHelper for this program: PARLORA_SYNTH_HELPER and the running executable's folder.
    static QString defaultHelper();
    // chosen when given, else parlora-synth beside the program, else the installed one in the
    // libexec folder that belongs to the program's bin folder, else the one this build made.
    static QString findHelper(const QString& chosen, const QString& programFolder);

private:
    // Starts a helper and returns its announcement; throws PlatformError.
    QByteArray start();
    QByteArray await();
    void tell(const QByteArray& message);
    bool deliver(const QByteArray& message, const Sink& sink);
    template <typename Read> auto parsed(Read read);
    void replace(std::unique_ptr<HelperProcess> process);
    [[noreturn]] void abandon(const QString& description);

    Options m_options;
    int m_sampleRate = 0;
    std::vector<SynthVoice> m_voices;
    std::mutex m_mutex; // one text at a time
    std::unique_ptr<HelperProcess> m_process;
    std::atomic<pid_t> m_processId { -1 }; // read without waiting for the text being spoken
};
