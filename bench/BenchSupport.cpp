#include "BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <random>
#include <sndfile.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(p / 100.0 * double(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

namespace {

// Plain sentences of everyday prose, and parts that combine into many more.
const char* const sentences[] = {
    "The morning train was late again, so most of the passengers read their newspapers on the platform.",
    "She kept a small notebook in her coat pocket and wrote down every bird she saw on the way to work.",
    "Nobody in the village remembered who had planted the old walnut tree beside the chapel.",
    "When the storm finally passed, the fishermen dragged their boats back down to the water.",
    "His grandmother could bake bread, mend a fence and argue about politics all in the same afternoon.",
    "The library closes at six on weekdays, but the reading room upstairs stays open until nine.",
    "A thin layer of frost covered the windscreen, and the engine refused to start on the first try.",
    "They spent the whole evening trying to assemble a bookshelf whose instructions were missing a page.",
    "The museum guide spoke quickly, pointing at paintings faster than anyone could read the labels.",
    "If you follow the river for about two miles, you will reach a wooden bridge and a quiet inn.",
    "The children built a fortress out of cardboard boxes and defended it against the neighbour's cat.",
    "Every winter the lake freezes solid, and half the town comes out to skate under the stars.",
    "He had never seen the ocean before, and he stood at the edge of the sand for a long time.",
    "The committee met for three hours without deciding anything, then agreed to meet again on Friday.",
    "Her violin teacher insisted that slow practice was the only honest road to playing quickly.",
    "The market square filled with stalls selling cheese, honey, woollen socks and second hand records.",
    "After the power failed, the office workers gathered by the windows and told stories about their holidays.",
    "The recipe called for fresh basil, but the shop on the corner had only dried oregano.",
    "Our neighbours painted their front door bright yellow, and now every delivery driver finds the house.",
    "The old lighthouse keeper still climbs the stairs each night, although the lamp has been automatic for years.",
    "A surprising number of people believe that goldfish have a memory of only three seconds.",
    "The professor paused in the middle of his lecture, looked out of the window and forgot what he was saying.",
    "We found a box of letters in the attic, tied with ribbon and written in a careful, slanted hand.",
    "The bakery on Elm Street opens at five, and by seven the croissants are usually gone.",
    "Rain drummed on the tin roof of the shed while the dog slept soundly among the garden tools.",
    "The pilot announced a short delay, and the passengers groaned in perfect unison.",
    "Several students stayed late to finish the model volcano for the science fair.",
    "The farmer checked the sky, shook his head and decided to bring the hay in before lunch.",
    "It took them four attempts to pitch the tent, and by then it was already dark.",
    "The orchestra tuned their instruments while latecomers shuffled along the rows to find their seats.",
    "My uncle claims he once caught a trout so large that it pulled him into the stream.",
    "The new bridge will shorten the journey to the coast by almost an hour.",
    "A gentle breeze carried the smell of cut grass across the playing fields.",
    "The journalist waited outside the courthouse all afternoon, hoping for a single comment.",
    "At the end of the street there is a tiny cinema that still shows films from the nineteen fifties.",
    "The volunteers planted two hundred saplings along the motorway in a single weekend.",
    "When the kettle whistled, she poured the water slowly over the tea leaves and counted to sixty.",
    "Traffic on the ring road came to a standstill after a lorry lost its load of oranges.",
    "The twins could not agree on a name for the puppy, so they called it something different every day.",
    "Lanterns hung from the branches, and music drifted over the garden long after midnight.",
    "The carpenter measured the doorway twice before cutting a single piece of oak.",
    "Snow had drifted against the cottage door, and they had to climb out through the kitchen window.",
    "The doctor advised him to walk more, sleep longer and worry less about the stock market.",
    "Although the exam was difficult, most of the class finished with time to spare.",
    "The ferry crossed the bay in forty minutes, rolling gently on the grey swell.",
    "An elderly couple danced slowly in the square while a street musician played the accordion.",
    "The city council promised to repair the potholes before the end of the summer.",
    "He wrapped the present in brown paper, because he could not find any ribbon in the house.",
    "A flock of starlings swept over the rooftops, turning and folding like smoke.",
    "The hotel receptionist handed over a heavy brass key attached to a wooden pear.",
    "Our cat has learned to open the kitchen cupboard where the biscuits are kept.",
    "The marathon runners passed the town hall just after ten, cheered on by hundreds of people.",
    "Mist rose from the valley as the sun climbed above the eastern hills.",
    "She repaired the clock with a pair of tweezers and a great deal of patience.",
    "The footpath was closed for repairs, so we took the long way round through the woods.",
    "In the corner of the studio stood an unfinished sculpture covered by a dusty sheet.",
    "The waiter recommended the soup of the day, which turned out to be cold cucumber.",
    "Nobody expected the quiet accountant to win the local singing competition.",
    "The archaeologists uncovered a mosaic floor beneath the car park of the supermarket.",
    "Every Sunday my father listens to the radio while polishing the family's shoes.",
};

const char* const subjects[] = { "the engineer", "my neighbour", "a young teacher", "the old sailor", "our manager",
    "the baker's daughter", "a tired student", "the mayor", "my cousin", "the gardener", "a retired nurse",
    "the shopkeeper", "the night watchman", "a travelling musician", "the head chef", "the village postman",
    "a curious child", "the conductor", "the librarian", "a local farmer", "the photographer", "the new tenant",
    "an elderly painter", "the bus driver", "the school caretaker", "a visiting scientist", "the hotel porter",
    "my sister", "the beekeeper", "the ferryman" };
const char* const verbs[] = { "carried", "repaired", "painted", "borrowed", "described", "discovered", "delivered",
    "cleaned", "measured", "photographed", "sold", "collected", "ordered", "wrapped", "sketched", "examined",
    "polished", "returned", "tested", "replaced", "moved", "labelled", "forgot", "rescued", "counted", "unpacked",
    "planted", "studied", "hid", "admired" };
const char* const objects[] = { "a wooden ladder", "the broken umbrella", "three jars of honey",
    "an old map of the harbour", "the silver teapot", "a basket of apples", "the garden gate", "a pile of letters",
    "the kitchen clock", "a pair of leather boots", "the blue bicycle", "a box of seeds", "the church bells",
    "a stack of records", "the weather vane", "a woollen blanket", "the village sign", "a crate of lemons",
    "the brass telescope", "a jigsaw puzzle", "the school piano", "a loaf of rye bread", "the lighthouse lamp",
    "a bundle of firewood", "the wedding photographs", "a bag of marbles", "the iron kettle", "a roll of canvas",
    "the antique mirror", "a jar of buttons" };
const char* const places[] = { "near the station", "behind the post office", "at the edge of the forest",
    "in the back garden", "beside the canal", "on the top floor", "across the market square",
    "under the railway bridge", "outside the bakery", "in the crowded hall", "by the harbour wall",
    "along the country lane", "inside the old barn", "next to the fountain", "at the end of the pier" };
const char* const times[] = { "before breakfast", "on Tuesday evening", "during the long summer", "after the meeting",
    "late last night", "early this morning", "at half past four", "in the spring", "before the rain came",
    "while the others slept", "just after lunch", "on the first day of March", "during the holidays",
    "in the middle of the afternoon", "when the shops had closed" };
const char* const reasons[] = { "because nobody else had the time", "although it was far too heavy",
    "so that the children could watch", "even though it had started to snow", "since the shop was closing",
    "as a favour to an old friend", "without telling anyone", "to settle an argument",
    "because the instructions were unclear", "for the third time that week" };
const char* const remarks[] = { "Nobody could quite explain why.", "It seemed a perfectly sensible thing to do.",
    "Everyone agreed it had been worth the trouble.", "The neighbours talked about it for weeks.",
    "Later that day it began to rain.", "It was not the first time, and it would not be the last.",
    "Some people laughed, but most simply nodded.", "By evening the whole street knew about it." };

template <size_t N> const char* pick(const char* const (&list)[N], std::mt19937& rng)
{
    return list[rng() % N];
}

std::string capitalised(std::string s)
{
    if (!s.empty())
        s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

std::string composed(std::mt19937& rng)
{
    // Every part is drawn in a fixed order, so the text does not depend on evaluation order.
    const std::string s = pick(subjects, rng), v = pick(verbs, rng), o = pick(objects, rng);
    const std::string place = pick(places, rng), time = pick(times, rng), reason = pick(reasons, rng);
    const std::string s2 = pick(subjects, rng), v2 = pick(verbs, rng), o2 = pick(objects, rng);
    const std::string remark = pick(remarks, rng);
    const std::string minutes = std::to_string(5 + rng() % 50), hour = std::to_string(1 + rng() % 12);
    switch (rng() % 6) {
    case 0:
        return capitalised(s) + ' ' + v + ' ' + o + ' ' + place + ' ' + time + '.';
    case 1:
        return capitalised(time) + ", " + s + ' ' + v + ' ' + o + ' ' + reason + '.';
    case 2:
        return "Was it really " + s + " who " + v + ' ' + o + ' ' + place + '?';
    case 3:
        return capitalised(s) + ' ' + v + ' ' + o + ", and then " + s2 + ' ' + v2 + ' ' + o2 + '.';
    case 4:
        return "At " + minutes + " minutes past " + hour + ", " + s + ' ' + v + ' ' + o + '.';
    default:
        return capitalised(s) + ' ' + v + ' ' + o + ". " + remark;
    }
}

} // namespace

QString prose(qsizetype chars, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<const char*> deck(std::begin(sentences), std::end(sentences));
    size_t next = deck.size();
    QString text;
    text.reserve(chars + 400);
    int inParagraph = 0;
    while (text.size() < chars) {
        if (!text.isEmpty())
            text += inParagraph == 0 ? QStringLiteral("\n\n") : QStringLiteral(" ");
        // Written sentences come in shuffled rounds, between composed ones.
        if (rng() % 3 == 0) {
            if (next == deck.size()) {
                std::shuffle(deck.begin(), deck.end(), rng);
                next = 0;
            }
            text += QString::fromLatin1(deck[next++]);
        } else {
            text += QString::fromStdString(composed(rng));
        }
        inParagraph = (inParagraph + 1) % (4 + static_cast<int>(rng() % 4));
    }
    return text;
}

namespace {
qint64 statusKiB(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
} // namespace

qint64 residentKiB()
{
    return statusKiB("VmRSS:");
}
qint64 peakResidentKiB()
{
    return statusKiB("VmHWM:");
}

bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

std::optional<WaveInfo> waveInfo(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return std::nullopt;
    sf_close(file);
    return WaveInfo { info.frames, info.samplerate, info.channels };
}

std::vector<int16_t> readMonoWave(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<int16_t> samples(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    samples.resize(static_cast<size_t>(sf_read_short(file, samples.data(), static_cast<sf_count_t>(samples.size()))));
    sf_close(file);
    if (info.channels == 1)
        return samples;
    std::vector<int16_t> mono(samples.size() / static_cast<size_t>(info.channels));
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = samples[i * static_cast<size_t>(info.channels)];
    return mono;
}

pid_t spawn(const std::vector<std::string>& argv, int stdoutFd)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, stdoutFd);
    }
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

namespace {
double cpuMsOf(const rusage& usage)
{
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}
} // namespace

int runAndWait(const std::vector<std::string>& argv, double* cpuMs)
{
    const pid_t pid = spawn(argv, -1);
    if (pid < 0)
        return -1;
    int status = 0;
    rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    if (cpuMs)
        *cpuMs = cpuMsOf(usage);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string commandOutput(const std::vector<std::string>& argv)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = spawn(argv, fds[1]);
    ::close(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; pid > 0 && ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR));)
        if (n > 0)
            out.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return out;
}

double processCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return cpuMsOf(usage);
}

std::map<pid_t, double> childrenCpuMs()
{
    std::map<pid_t, double> result;
    const pid_t self = getpid();
    const double msPerTick = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // The fields after the command's closing parenthesis: state, ppid, ... utime (14), stime (15).
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12 && fields[1].toInt() == self)
            result[pid] = (fields[11].toDouble() + fields[12].toDouble()) * msPerTick;
    }
    return result;
}

double childrenCpuMsSince(const std::map<pid_t, double>& before)
{
    double total = 0;
    for (const auto& [pid, ms] : childrenCpuMs()) {
        const auto earlier = before.find(pid);
        total += ms - (earlier != before.end() ? earlier->second : 0.0);
    }
    return total;
}

MonitorRecorder::MonitorRecorder(int rate, int latencyMs)
    : m_rate(rate)
    , m_latencyMs(latencyMs)
{
}

MonitorRecorder::~MonitorRecorder()
{
    stop();
}

bool MonitorRecorder::start()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    m_pid = spawn({ "parec", "-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16le", "--channels=1",
                      "--rate=" + std::to_string(m_rate), "--latency-msec=" + std::to_string(m_latencyMs) },
        fds[1]);
    ::close(fds[1]);
    if (m_pid < 0) {
        ::close(fds[0]);
        return false;
    }
    m_fd = fds[0];
    m_thread = std::thread([this] { read(); });
    return true;
}

void MonitorRecorder::read()
{
    std::vector<char> buffer(1 << 16);
    std::vector<char> partial;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
        const Clock::time_point now = Clock::now();
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        partial.insert(partial.end(), buffer.begin(), buffer.begin() + n);
        std::lock_guard lock(m_mutex);
        const size_t whole = partial.size() / 2;
        const size_t old = m_samples.size();
        m_samples.resize(old + whole);
        std::memcpy(m_samples.data() + old, partial.data(), whole * 2);
        partial.erase(partial.begin(), partial.begin() + static_cast<std::ptrdiff_t>(whole * 2));
        m_arrivals.emplace_back(now, static_cast<qint64>(m_samples.size()));
    }
}

bool MonitorRecorder::waitForData(int ms)
{
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        {
            std::lock_guard lock(m_mutex);
            if (m_samples.size() > static_cast<size_t>(m_rate / 10))
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

std::vector<int16_t> MonitorRecorder::recentSamples(int ms) const
{
    std::lock_guard lock(m_mutex);
    const size_t n = std::min(m_samples.size(), static_cast<size_t>(m_rate) * static_cast<size_t>(ms) / 1000);
    return std::vector<int16_t>(m_samples.end() - static_cast<std::ptrdiff_t>(n), m_samples.end());
}

void MonitorRecorder::stop(Clock::time_point from)
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        m_pid = -1;
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_arrivals.empty())
        return;
    // A sample cannot arrive before the sink rendered it, so the earliest arrivals relative to
    // their sample counts pin the sink's clock. The burst of a sink that had rendered far ahead
    // while idle would fake an early arrival, so the reads before `from` are left out.
    m_base = m_arrivals.front().first;
    for (const auto& [time, count] : m_arrivals)
        if (time >= from)
            m_offsets.emplace_back(count, msBetween(m_base, time) - 1000.0 * double(count) / m_rate);
    std::vector<double> spread;
    for (size_t i = 0; i < m_offsets.size(); i += 10)
        spread.push_back(m_offsets[i].second - localEarliest(m_offsets[i].first));
    m_spreadMs = median(spread);
}

double MonitorRecorder::localEarliest(qint64 sample) const
{
    const auto first = std::lower_bound(m_offsets.begin(), m_offsets.end(), sample - m_rate / 2,
        [](const std::pair<qint64, double>& o, qint64 s) { return o.first < s; });
    double earliest = std::numeric_limits<double>::max();
    for (auto it = first; it != m_offsets.end() && it->first <= sample + m_rate / 2; ++it)
        earliest = std::min(earliest, it->second);
    if (earliest == std::numeric_limits<double>::max() && !m_offsets.empty())
        earliest = (first == m_offsets.end() ? m_offsets.back() : *first).second;
    return earliest;
}

qint64 MonitorRecorder::samplesBy(Clock::time_point time) const
{
    qint64 count = 0;
    for (const auto& [at, received] : m_arrivals) {
        if (at > time)
            break;
        count = received;
    }
    return count;
}

Clock::time_point MonitorRecorder::timeOf(double sample) const
{
    const double ms = localEarliest(static_cast<qint64>(sample)) + 1000.0 * sample / m_rate;
    return m_base + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(ms));
}

} // namespace bench
