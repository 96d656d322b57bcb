#include "DeviceAudioCopy.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace bench {

Match bestShift(const std::vector<int16_t>& handed, qint64 begin, qint64 length, const std::vector<int16_t>& recording,
    qint64 from, qint64 to)
{
    Match best { from, -2 };
    begin = std::max<qint64>(0, begin);
    length = std::min<qint64>(length, static_cast<qint64>(handed.size()) - begin);
    if (length <= 0)
        return best;
    double handedEnergy = 0;
    for (qint64 i = 0; i < length; ++i)
        handedEnergy += double(handed[size_t(begin + i)]) * handed[size_t(begin + i)];
    if (handedEnergy <= 0)
        return best;
    for (qint64 shift = from; shift <= to; ++shift) {
        const qint64 start = begin + shift;
        if (start < 0 || start + length > static_cast<qint64>(recording.size()))
            continue;
        double dot = 0, energy = 0;
        for (qint64 i = 0; i < length; ++i) {
            const double r = recording[size_t(start + i)];
            dot += r * handed[size_t(begin + i)];
            energy += r * r;
        }
        const double correlation = energy > 0 ? dot / std::sqrt(energy * handedEnergy) : 0;
        if (correlation > best.correlation)
            best = { shift, correlation };
    }
    return best;
}

qint64 firstLoud(const std::vector<int16_t>& samples, qint64 from, int threshold)
{
    for (qint64 i = std::max<qint64>(0, from); i < static_cast<qint64>(samples.size()); ++i)
        if (std::abs(samples[size_t(i)]) > threshold)
            return i;
    return -1;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace bench
