#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/CaptureWithRuns.h"

#include <QCoroTask>
#include <QObject>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <optional>

// State of the history screen: past captures, the one opened with its runs, what the last
// reprocessing produced, and one fixed error line per operation. Calls go straight to the
// client it was given (no token renewal). Operations never throw; one that is still running
// when the view model is destroyed finishes without touching it.
class CaptureHistoryViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created with a service client")

    Q_PROPERTY(QList<Capture> captures READ captures NOTIFY capturesChanged)
    Q_PROPERTY(QVariant detail READ detailValue NOTIFY detailChanged)
    Q_PROPERTY(QVariant lastResult READ lastResultValue NOTIFY lastResultChanged)
    Q_PROPERTY(QVariant errorText READ errorTextValue NOTIFY errorTextChanged)

public:
    explicit CaptureHistoryViewModel(APIClient api, QObject* parent = nullptr);

    const QList<Capture>& captures() const { return m_captures; }
    const std::optional<CaptureWithRuns>& detail() const { return m_detail; }
    const std::optional<ApplyResult>& lastResult() const { return m_lastResult; }
    const std::optional<QString>& errorText() const { return m_errorText; }
    const APIClient& api() const { return m_api; }

    QCoro::Task<void> load();
    QCoro::Task<void> open(QString id);
    QCoro::Task<void> reprocess(QString id, std::optional<QString> editedText);

Q_SIGNALS:
    void capturesChanged();
    void detailChanged();
    void lastResultChanged();
    void errorTextChanged();

private:
    QVariant detailValue() const;
    QVariant lastResultValue() const;
    QVariant errorTextValue() const;

    void setErrorText(const QString& text);

    QList<Capture> m_captures;
    std::optional<CaptureWithRuns> m_detail;
    std::optional<ApplyResult> m_lastResult;
    std::optional<QString> m_errorText;
    APIClient m_api;
};
