#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/wire/ApplyResult.h"
#include "OndrelCore/wire/Capture.h"
#include "OndrelCore/wire/CaptureWithRuns.h"
#include "OndrelUI/models/CaptureListModel.h"

#include <QCoroQmlTask>
#include <QCoroTask>
#include <QObject>
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

    Q_PROPERTY(CaptureListModel* captureRows READ captureRows CONSTANT)
    Q_PROPERTY(QString errorText READ errorTextValue NOTIFY errorTextChanged) // empty: none

public:
    explicit CaptureHistoryViewModel(APIClient api, QObject* parent = nullptr);

    const QList<Capture>& captures() const { return m_captureModel->captures(); }
    CaptureListModel* captureRows() const { return m_captureModel; }
    const std::optional<CaptureWithRuns>& detail() const { return m_detail; }
    const std::optional<ApplyResult>& lastResult() const { return m_lastResult; }
    const std::optional<QString>& errorText() const { return m_errorText; }
    const APIClient& api() const { return m_api; }

    QCoro::Task<void> load();
    QCoro::Task<void> open(QString id);
    QCoro::Task<void> reprocess(QString id, std::optional<QString> editedText);

    // Entry points for QML; an empty edited text stands for none, and an empty id opens
    // nothing.
    Q_INVOKABLE QCoro::QmlTask loadHistory();
    Q_INVOKABLE QCoro::QmlTask openCapture(const QString& id);
    Q_INVOKABLE QCoro::QmlTask reprocessCapture(const QString& id, const QString& editedText);

Q_SIGNALS:
    void capturesChanged();
    void detailChanged();
    void lastResultChanged();
    void errorTextChanged();

private:
    QString errorTextValue() const { return m_errorText.value_or(QString()); }

    void setErrorText(const QString& text);

    CaptureListModel* m_captureModel;
    std::optional<CaptureWithRuns> m_detail;
    std::optional<ApplyResult> m_lastResult;
    std::optional<QString> m_errorText;
    APIClient m_api;
};
