#include "support/fake_language_model.h"

#include "platform/async.h"

namespace quillora::test {

namespace {

class FakeSession final : public LanguageModelSession {
public:
    FakeSession(std::shared_ptr<FakeLanguageModel::Script> script, QString instructions)
        : m_script(std::move(script))
        , m_instructions(std::move(instructions)) {}

    void respond(const QString& prompt, std::shared_ptr<const GenerationSchema> schema,
                 ResultReceiver receiver, std::function<void(Result<QString>)> done) override {
        m_script->requests.append({m_instructions, prompt, schema ? schema->name() : QString()});
        Result<QString> answer = QString();
        if (!m_script->answers.empty()) {
            answer = m_script->answers.front();
            m_script->answers.pop_front();
        }
        deliverLater(std::move(receiver), [done = std::move(done), answer] { done(answer); });
    }

private:
    std::shared_ptr<FakeLanguageModel::Script> m_script;
    QString m_instructions;
};

} // namespace

std::shared_ptr<LanguageModelSession> FakeLanguageModel::makeSession(const QString& instructions) {
    ++m_script->sessions;
    return std::make_shared<FakeSession>(m_script, instructions);
}

} // namespace quillora::test
