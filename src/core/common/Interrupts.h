#pragma once
// Ctrl+C, a terminate request and a hang-up, delivered through the event
// loop instead of ending the program on the spot, so that a run can cancel
// and its tools finish. A signal that was ignored when we started (nohup)
// stays ignored. One at a time; the old handlers come back with its end.
#include <QObject>

class QSocketNotifier;

namespace varnel {

class Interrupts : public QObject {
    Q_OBJECT
public:
    explicit Interrupts(QObject* parent = nullptr);
    ~Interrupts() override;

    bool received() const { return m_received; }

signals:
    void interrupted(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
    bool m_received = false;
};

} // namespace varnel
