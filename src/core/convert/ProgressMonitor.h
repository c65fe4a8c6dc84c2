#pragma once
// Follows the encoder through its statistics file: once a second the elapsed
// time, and the encoded time as a percentage of the clip.
#include <QObject>
#include <QString>

class QTimer;

namespace varnel {

// The last complete line of a text file (LF or CR LF), or the empty text. A
// partly written last line is never returned. Only the end of the file is
// read, so the cost does not grow with the file; a last line longer than a
// mebibyte reads as the empty text.
QString ReadLastLineOfFile(const QString& sFileName);

// The encoded time of a statistics line: the sixth "=" piece without its last
// two characters, trimmed. Empty when the line has fewer pieces.
QString encodedTimeText(const QString& line);

class ProgressMonitor : public QObject {
    Q_OBJECT
public:
    ProgressMonitor(QString statisticsFile, QObject* parent = nullptr);

    QTimer* timer() const { return m_timer; }
    QString statisticsFile() const { return m_statisticsFile; }

    // Starts counting for a new encoder.
    void start(double clipDurationSeconds);
    void stop();
    void tick();

    int encodingSeconds() const { return m_encodingSeconds; }

signals:
    void elapsedText(const QString& text);
    // Not clamped: a bar ignores what it cannot show.
    void trackProgress(int percent);

private:
    QString m_statisticsFile;
    QTimer* m_timer;
    int m_encodingSeconds = 0;
    double m_clipDuration = 0;
};

} // namespace varnel
