#pragma once
// What an operation of the core gives back: its value, or why it failed, as
// a code and the text the user reads. One shape for every failure, so that
// callers test and pass failures on one way.
#include <QString>

#include <expected>
#include <utility>

namespace varnel {

struct Failure {
    int code = 0; // an errno where the system said no, else the area's own; 0: nothing more to tell
    QString text; // what the user reads

    bool operator==(const Failure&) const = default;
};

template <typename T = void>
using Result = std::expected<T, Failure>;

// return failed(tr("..."), ENOSPC);
inline std::unexpected<Failure> failed(QString text, int code = 0)
{
    return std::unexpected(Failure{code, std::move(text)});
}

} // namespace varnel
