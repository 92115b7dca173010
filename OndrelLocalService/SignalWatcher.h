#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the event loop (the self-pipe pattern: the
// handler only writes a byte, which is async-signal-safe).
class SignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void terminationRequested();

private:
    static void onSignal(int);
    void drain();

    QSocketNotifier* m_notifier = nullptr;
};
