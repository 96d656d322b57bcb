#include "engine/synth/MessageChannel.h"
#include "engine/synth/SynthProtocol.h"
#include "engine/synth/SynthService.h"

#include <QtTest>
#include <numeric>
#include <sys/socket.h>
#include <thread>

namespace {

struct ChannelPair {
    std::unique_ptr<MessageChannel> near;
    std::unique_ptr<MessageChannel> far;
};

ChannelPair connectedChannels()
{
    int ends[2] = { -1, -1 };
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return {};
    return { std::make_unique<MessageChannel>(ends[0]), std::make_unique<MessageChannel>(ends[1]) };
}

QByteArray counting(qsizetype size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed) & 0xff);
    return bytes;
}

// Speaks any text as blocks of 1,000 samples counting up from 0, a Word event at every block's start.
class CountingSynthesizer final : public SynthesizerBackend {
public:
    explicit CountingSynthesizer(int blocks)
        : m_blocks(blocks)
    {
    }
    int sampleRate() const override { return 16000; }
    std::vector<SynthVoice> voices() const override
    {
        SynthVoice voice;
        voice.id = QStringLiteral("v");
        return { voice };
    }
    bool synthesize(const QByteArray&, const Settings&, const Sink& sink) override
    {
        std::vector<int16_t> block(1000);
        for (int b = 0; b < m_blocks; ++b) {
            std::iota(block.begin(), block.end(), static_cast<int16_t>(b * 1000 % 30000));
            const SynthEvent word { SynthEvent::Type::Word, qint64(b) * 1000, b, 1, {} };
            if (!sink(block, std::span(&word, 1)))
                return false;
        }
        return true;
    }

private:
    int m_blocks;
};

struct Served {
    std::vector<size_t> blockSizes;
    std::vector<int16_t> samples;
    std::vector<qint64> wordSamples;
};

// One text spoken by the service on its own thread, as the helper process would.
Served serve(int blocks, bool awaited)
{
    ChannelPair channels = connectedChannels();
    CountingSynthesizer synthesizer(blocks);
    SynthService service(synthesizer, *channels.far);
    std::thread helper([&] { service.run(); });
    Served served;
    SynthesizerBackend::Settings settings;
    settings.awaited = awaited;
    bool done = false;
    if (SynthProtocol::kind(channels.near->receive().message) == SynthProtocol::Kind::Ready
        && channels.near->send(SynthProtocol::speak("text", settings))) {
        for (;;) {
            const QByteArray message = channels.near->receive(std::chrono::seconds(10)).message;
            if (SynthProtocol::kind(message) != SynthProtocol::Kind::Block) {
                done = SynthProtocol::kind(message) == SynthProtocol::Kind::Done;
                break;
            }
            const SynthProtocol::Block block = SynthProtocol::readBlock(message);
            served.blockSizes.push_back(block.samples.size());
            served.samples.insert(served.samples.end(), block.samples.begin(), block.samples.end());
            for (const SynthEvent& event : block.events)
                served.wordSamples.push_back(event.sample);
        }
    }
    channels.near.reset(); // the service sees the engine gone and ends
    helper.join();
    if (!done)
        served.blockSizes.clear();
    return served;
}

} // namespace

class tst_SynthChannel : public QObject {
    Q_OBJECT

private slots:
    // Messages far larger than the socket's buffer, empty ones and small ones arrive whole and in order.
    void messagesArriveWholeWhateverTheirSize()
    {
        ChannelPair channels = connectedChannels();
        QVERIFY(channels.near && channels.far);
        const std::vector<QByteArray> sent { counting(4 << 20, 1), QByteArray(), counting(3, 2), counting(300001, 3) };
        std::thread sender([&] {
            for (const QByteArray& message : sent)
                channels.far->send(message);
        });
        for (const QByteArray& expected : sent) {
            const MessageChannel::Received got = channels.near->receive(std::chrono::seconds(10));
            QCOMPARE(got.status, MessageChannel::Status::Message);
            QCOMPARE(got.message.size(), expected.size());
            QVERIFY(got.message == expected);
        }
        sender.join();
    }

    // An empty socket is waited for no longer than asked; a peer gone is reported, also mid-message.
    void silenceTimesOutAndAGonePeerCloses()
    {
        ChannelPair channels = connectedChannels();
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(channels.near->receive(std::chrono::milliseconds(50)).status, MessageChannel::Status::TimedOut);
        QVERIFY(waited.elapsed() >= 45);
        QVERIFY(!channels.near->pending());
        channels.far.reset();
        QVERIFY(channels.near->pending());
        QCOMPARE(channels.near->receive(std::chrono::seconds(1)).status, MessageChannel::Status::Closed);
        QVERIFY(!channels.near->send(QByteArray("x")));
    }

    // Speech someone waits for starts in a small batch; speech made ahead goes out in large ones.
    // Either way every sample and event arrives once, in order.
    void batchesFollowWhetherSpeechIsAwaited()
    {
        const Served now = serve(300, true);
        const Served ahead = serve(300, false);
        for (const Served* served : { &now, &ahead }) {
            QVERIFY(!served->blockSizes.empty());
            QCOMPARE(served->samples.size(), size_t(300000));
            QCOMPARE(served->wordSamples.size(), size_t(300));
            for (size_t b = 0; b < 300; ++b) {
                QCOMPARE(served->wordSamples[b], qint64(b) * 1000);
                QCOMPARE(served->samples[b * 1000 + 7], static_cast<int16_t>(b * 1000 % 30000 + 7));
            }
        }
        QVERIFY(now.blockSizes.front() <= 5000);
        QVERIFY(ahead.blockSizes.front() >= 65536);
        QVERIFY(ahead.blockSizes.size() < now.blockSizes.size());
    }

    // The flag survives the trip to the helper.
    void speakCarriesTheAwaitedFlag()
    {
        SynthesizerBackend::Settings settings;
        settings.voiceId = QStringLiteral("gmw/en-US");
        settings.wordsPerMinute = 300;
        for (const bool awaited : { true, false }) {
            settings.awaited = awaited;
            const SynthProtocol::Speak read = SynthProtocol::readSpeak(SynthProtocol::speak("<s/>", settings));
            QCOMPARE(read.settings.awaited, awaited);
            QCOMPARE(read.settings.wordsPerMinute, 300);
            QCOMPARE(read.ssml, QByteArray("<s/>"));
        }
    }
};

QTEST_GUILESS_MAIN(tst_SynthChannel)
#include "tst_SynthChannel.moc"
