#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <optional>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

// One GET of an update resource (the feed or a package) into `sink`, within bounds: no more
// than `maxBytes`, no silence longer than `stallTimeout`, and optionally no longer than
// `deadline` in all. Emits finished() exactly once unless destroyed first; destruction aborts
// quietly.
class UpdateDownload : public QObject {
    Q_OBJECT

public:
    struct Limits {
        qint64 maxBytes = 0;
        QString tooLarge;   // the failure when more than maxBytes arrive
        QString unwritable; // the failure when the sink refuses data, with %1 for its error
        std::chrono::milliseconds stallTimeout{30000};
        std::optional<std::chrono::milliseconds> deadline;
    };

    // `sink` is not owned and must outlive the download.
    UpdateDownload(QNetworkAccessManager& network, const QUrl& url, QIODevice& sink, Limits limits,
                   QObject* parent = nullptr);
    ~UpdateDownload() override;

    // Stops the transfer; finished() follows with cancelled() true.
    void cancel();

    bool cancelled() const { return m_cancelled; }
    // Why the transfer failed; absent after a complete 2xx answer or a cancellation.
    const std::optional<QString>& failure() const { return m_failure; }

Q_SIGNALS:
    void progressed(qint64 received);
    void finished();

private:
    void take();
    QString sinkErrorText() const;
    bool answeredWithSuccess() const;
    void stop(const QString& failure);
    void complete();
    std::optional<QString> failureOfFinishedReply() const;

    QPointer<QNetworkReply> m_reply;
    QIODevice& m_sink;
    Limits m_limits;
    QTimer m_deadline;
    qint64 m_received = 0;
    bool m_cancelled = false;
    std::optional<QString> m_failure;
};
