#include "core/convert/RunShare.h"

#include <algorithm>
#include <cmath>

namespace varnel {

void RunShare::begin(const std::vector<quint64>& rows)
{
    m_rows.clear();
    for (quint64 id : rows)
        m_rows[id] = {};
}

void RunShare::setSeconds(quint64 id, double seconds)
{
    const auto it = m_rows.find(id);
    if (it != m_rows.end() && seconds > 0 && std::isfinite(seconds))
        it->second.seconds = seconds;
}

void RunShare::setPercent(quint64 id, int percent)
{
    const auto it = m_rows.find(id);
    // A statistics line past the clip's end, or a bar's reset, is no progress.
    if (it != m_rows.end() && it->second.fraction < 1)
        it->second.fraction = std::clamp(percent, 0, 99) / 100.0;
}

void RunShare::finish(quint64 id)
{
    const auto it = m_rows.find(id);
    if (it != m_rows.end())
        it->second.fraction = 1;
}

double RunShare::done() const
{
    double known = 0;
    int knownRows = 0;
    for (const auto& [id, row] : m_rows)
        if (row.seconds > 0) {
            known += row.seconds;
            ++knownRows;
        }
    const double average = knownRows > 0 ? known / knownRows : 1;
    double total = 0, encoded = 0;
    for (const auto& [id, row] : m_rows) {
        const double seconds = row.seconds > 0 ? row.seconds : average;
        total += seconds;
        encoded += seconds * row.fraction;
    }
    return total > 0 ? encoded / total : 0;
}

int RunShare::percent() const
{
    return static_cast<int>(std::floor(100 * done() + 1e-9));
}

std::optional<long long> RunShare::secondsLeft(double elapsedSeconds) const
{
    const double share = done();
    if (share <= 0.005 || elapsedSeconds < 1)
        return std::nullopt;
    return std::llround(elapsedSeconds * (1 - share) / share);
}

} // namespace varnel
