#pragma once
// How far a whole run is, by the seconds of media it has to encode rather
// than by its count of rows: one long file among short ones moves the total
// as it goes. Rows whose length is not known yet count as the average of
// those known.
#include <QtGlobal>

#include <map>
#include <optional>
#include <vector>

namespace varnel {

class RunShare {
public:
    void begin(const std::vector<quint64>& rows);
    // The seconds a row's encoder has to go through; ignored when not positive.
    void setSeconds(quint64 id, double seconds);
    // The converting row's own percentage.
    void setPercent(quint64 id, int percent);
    // Converted, failed or gone: its whole share is done.
    void finish(quint64 id);

    // 0 to 100, never ahead of what is done.
    int percent() const;
    // What is left, from the time spent so far; none before there is
    // anything to go by.
    std::optional<long long> secondsLeft(double elapsedSeconds) const;

private:
    double done() const; // 0 to 1

    struct Row {
        double seconds = 0; // 0: not known
        double fraction = 0;
    };
    std::map<quint64, Row> m_rows;
};

} // namespace varnel
