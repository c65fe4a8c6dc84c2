#pragma once
#include <QString>

namespace varnel {

// A control with the name its window gives it (tests and the skin find it so).
template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

template <typename W>
W* named(W* widget, const char* name)
{
    return named(widget, QLatin1String(name));
}

} // namespace varnel
