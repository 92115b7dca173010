#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

// One portal request: listens for the Response on the request's object path, which it is given
// before the call is made so that a quick answer is not missed.
class PortalRequest : public QObject {
    Q_OBJECT

public:
    PortalRequest(QDBusConnection bus, QString path, QObject* parent = nullptr);
    ~PortalRequest() override;

    // The portal named another path than the predicted one (older portals): listen there.
    void follow(const QString& path);

Q_SIGNALS:
    void answered(uint response, const QVariantMap& results);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);

private:
    bool listen(bool on);

    QDBusConnection m_bus;
    QString m_path;
};
