#include "support/fake_translation_engine.h"

#include <QTimer>

namespace quillora::test {

class FakeTranslationSession final : public TranslationSession {
public:
    FakeTranslationSession(FakeTranslationEngine& engine, QString target)
        : m_engine(engine)
        , m_target(std::move(target)) {}

    void translate(const QString& text, Completion done) override {
        m_engine.m_requests.append(text);
        const bool fails = m_engine.m_failAt > 0 && m_engine.m_requests.size() == m_engine.m_failAt;
        const QString target = m_target;
        auto answer = [fails, target, text, done] {
            if (fails)
                done(Result<QString>::failure(FakeTranslationEngine::failureText()));
            else
                done(FakeTranslationEngine::translated(target, text));
        };
        if (m_engine.m_hold)
            m_engine.m_held.append({QPointer<TranslationSession>(this), answer});
        else
            QTimer::singleShot(m_engine.m_delayMs, this, answer);
    }

private:
    FakeTranslationEngine& m_engine;
    QString m_target;
};

FakeTranslationEngine::FakeTranslationEngine() = default;
FakeTranslationEngine::~FakeTranslationEngine() = default;

QString FakeTranslationEngine::translated(const QString& target, const QString& text) {
    return u'[' + target + QStringLiteral("] ") + text;
}

void FakeTranslationEngine::release(int count) {
    // Only what is held now: answers may bring new requests.
    QList<Held> now = std::exchange(m_held, {});
    while (!now.isEmpty()) {
        if (count == 0) {
            m_held = now + m_held;
            break;
        }
        Held held = now.takeFirst();
        // A destroyed session never answers.
        if (held.session)
            held.answer();
        if (count > 0)
            --count;
    }
}

int FakeTranslationEngine::heldCount() const {
    return int(m_held.size());
}

void FakeTranslationEngine::setStatus(const QString& target, TranslationPairStatus status) {
    const QMutexLocker lock(&m_mutex);
    m_statuses.insert(target, status);
}

QList<std::pair<QString, QString>> FakeTranslationEngine::statusQueries() const {
    const QMutexLocker lock(&m_mutex);
    return m_statusQueries;
}

TranslationPairStatus FakeTranslationEngine::pairStatus(const QString& source, const QString& target) const {
    const QMutexLocker lock(&m_mutex);
    m_statusQueries.append({source, target});
    return m_statuses.value(target, TranslationPairStatus::unsupported);
}

std::unique_ptr<TranslationSession> FakeTranslationEngine::makeSession(const QString&,
                                                                       const QString& target) {
    ++m_sessions;
    return std::make_unique<FakeTranslationSession>(*this, target);
}

} // namespace quillora::test
