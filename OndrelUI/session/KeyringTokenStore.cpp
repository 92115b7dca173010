#include "OndrelUI/session/KeyringTokenStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPointer>
#include <qt6keychain/keychain.h>

#include <coroutine>

Q_LOGGING_CATEGORY(keyringLog, "ondrel.keyring")

namespace {

// A record is two tokens; anything much larger did not come from us.
constexpr qsizetype secretLimit = 64 * 1024;

struct JobResult {
    QKeychain::Error error = QKeychain::NoError;
    QString text; // a read's secret
};

// Starts a keychain job and resumes the awaiting coroutine when it finishes. Jobs delete
// themselves after finishing, and always finish (the D-Bus calls under them time out).
class JobAwaiter {
public:
    explicit JobAwaiter(QKeychain::Job* job) : m_job(job) {}
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter) {
        QObject::connect(m_job, &QKeychain::Job::finished, m_job,
                         [this, waiter](QKeychain::Job* job) {
                             m_result.error = job->error();
                             if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job))
                                 m_result.text = read->textData();
                             waiter.resume();
                         });
        m_job->start();
    }
    JobResult await_resume() { return std::move(m_result); }

private:
    QKeychain::Job* m_job;
    JobResult m_result;
};

template <class Job>
Job* keychainJob(const QString& service, const QString& key) {
    auto* made = new Job(service);
    made->setKey(key);
    return made;
}

bool isRecord(const QVariant& stored) {
    return stored.typeId() == QMetaType::QVariantMap || stored.typeId() == QMetaType::QVariantHash;
}

QString toSecret(const QVariantMap& record) {
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(record)).toJson(QJsonDocument::Compact));
}

QVariant fromSecret(const QString& secret) {
    if (secret.size() > secretLimit)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(secret.toUtf8());
    if (!document.isObject())
        return {};
    return document.object().toVariantMap();
}

} // namespace

KeyringTokenStore::KeyringTokenStore(QString service, QSettings* settings, QString key,
                                     QObject* parent)
    : TokenStore(parent), m_service(std::move(service)), m_key(key),
      m_file(settings, std::move(key)) {}

QCoro::Task<QVariant> KeyringTokenStore::load() {
    const QVariant inFile = m_file.read();
    if (isRecord(inFile)) {
        auto moving = moveIntoKeyring(inFile);
        co_return co_await std::move(moving);
    }
    const QPointer<KeyringTokenStore> self(this);
    JobAwaiter reading(keychainJob<QKeychain::ReadPasswordJob>(m_service, m_key));
    const JobResult read = co_await reading;
    if (read.error == QKeychain::NoError)
        co_return fromSecret(read.text);
    if (read.error != QKeychain::EntryNotFound && self) {
        qCWarning(keyringLog) << "the keyring did not answer:" << read.error;
        self->fallBack();
    }
    co_return inFile; // nothing, or something that is no record, as the file has it
}

// The file's record wins over an older one in the keyring: it is the newer (kept there while the
// keyring refused, or by an earlier version).
QCoro::Task<QVariant> KeyringTokenStore::moveIntoKeyring(QVariant record) {
    const QPointer<KeyringTokenStore> self(this);
    auto* writing = keychainJob<QKeychain::WritePasswordJob>(m_service, m_key);
    writing->setTextData(toSecret(record.toMap()));
    JobAwaiter moving(writing);
    const JobResult moved = co_await moving;
    if (!self)
        co_return record;
    if (moved.error == QKeychain::NoError) {
        m_file.remove();
    } else {
        qCWarning(keyringLog) << "the keyring refused the stored sign-in:" << moved.error;
        fallBack();
    }
    co_return record;
}

void KeyringTokenStore::save(const QVariantMap& record) {
    m_latest = record;
    if (m_inFile) {
        m_file.save(record);
        return;
    }
    auto* writing = keychainJob<QKeychain::WritePasswordJob>(m_service, m_key);
    writing->setTextData(toSecret(record));
    connect(writing, &QKeychain::Job::finished, this, [this](QKeychain::Job* finished) {
        if (finished->error() == QKeychain::NoError || m_inFile)
            return;
        qCWarning(keyringLog) << "the keyring refused the sign-in:" << finished->error();
        fallBack();
        if (m_latest)
            m_file.save(*m_latest);
    });
    writing->start();
}

void KeyringTokenStore::remove() {
    m_latest.reset();
    m_file.remove();
    // Also after a fallback: an entry of an earlier run may still be there.
    keychainJob<QKeychain::DeletePasswordJob>(m_service, m_key)->start();
}

void KeyringTokenStore::fallBack() {
    m_inFile = true;
    if (std::exchange(m_toldFallback, true))
        return;
    Q_EMIT fellBackToFile();
}
