#include "OndrelLocalService/state/StateFile.h"

#include "OndrelCore/json/JSONCodec.h"
#include "OndrelCore/json/ODJSON.h"
#include "OndrelCore/json/RecordDescriptions.h"

#include <QFile>

#include <boost/describe/class.hpp>

#include <stdexcept>

BOOST_DESCRIBE_STRUCT(TokenGrant, (), (token, userId, expiresAt))
BOOST_DESCRIBE_STRUCT(ServiceState, (),
                      (version, users, folders, tasks, captures, runs, accessTokens, refreshTokens,
                       lastStamp))

namespace {
constexpr qint64 formatVersion = 1;

std::runtime_error failure(const QString& text) {
    return std::runtime_error(text.toStdString());
}
} // namespace

QByteArray StateFile::encode(const ServiceState& state) {
    return ODJSON::encoder().encode(state);
}

ServiceState StateFile::decode(QByteArrayView bytes) {
    ServiceState state = ODJSON::decoder().decode<ServiceState>(bytes);
    if (state.version != formatVersion)
        throw DecodingError(DecodingError::Kind::dataCorrupted, QStringLiteral("version"),
                            QStringLiteral("unsupported data file version %1").arg(state.version));
    return state;
}

std::optional<ServiceState> StateFile::load() const {
    QFile file(m_path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw failure(
            QStringLiteral("cannot read the data file %1: %2").arg(m_path, file.errorString()));
    const QByteArray bytes = file.readAll();
    try {
        return decode(bytes);
    } catch (const DecodingError& error) {
        throw failure(QStringLiteral("the data file %1 is not a valid state (at '%2': %3); "
                                     "it was left untouched")
                          .arg(m_path, error.codingPath(), error.description()));
    }
}
