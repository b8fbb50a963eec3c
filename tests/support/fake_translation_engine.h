#pragma once

#include "output/translation_engine.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QStringList>

namespace quillora::test {

// A translation engine for tests. Statuses are scripted per target language (unsupported when
// not scripted). A translation is visibly the text with the target in front: "[es] Hello".
// Request N (counted from 1 over the engine's life) can be made to fail. With answers held,
// requests wait until release() lets them through; otherwise they may be slowed down.
class FakeTranslationEngine final : public TranslationEngine {
public:
    FakeTranslationEngine();
    ~FakeTranslationEngine() override;

    static QString translated(const QString& target, const QString& text);
    static QString failureText() { return QStringLiteral("fake translation failure"); }

    void setStatus(const QString& target, TranslationPairStatus status);
    void failAtRequest(int n) { m_failAt = n; }
    void setHoldAnswers(bool hold) { m_hold = hold; }
    // Answers that are not held come this long after their request (default at once).
    void setAnswerDelay(int milliseconds) { m_delayMs = milliseconds; }
    // Answers up to count held requests (all of them when count is negative).
    void release(int count = -1);

    QStringList requests() const { return m_requests; }
    int sessionCount() const { return m_sessions; }
    QList<std::pair<QString, QString>> statusQueries() const;
    int heldCount() const;

    TranslationPairStatus pairStatus(const QString& source, const QString& target) const override;
    std::unique_ptr<TranslationSession> makeSession(const QString& source, const QString& target) override;

private:
    friend class FakeTranslationSession;
    struct Held {
        QPointer<TranslationSession> session;
        std::function<void()> answer;
    };

    QHash<QString, TranslationPairStatus> m_statuses;
    QStringList m_requests;
    // Status questions may come from a worker thread.
    mutable QMutex m_mutex;
    mutable QList<std::pair<QString, QString>> m_statusQueries;
    QList<Held> m_held;
    int m_failAt = 0;
    int m_delayMs = 0;
    int m_sessions = 0;
    bool m_hold = false;
};

} // namespace quillora::test
