#pragma once

#include "ai/language_model.h"

#include <QList>
#include <QString>

#include <deque>
#include <memory>

namespace quillora::test {

// A scripted on-device model: answers requests with the queued results in order (an empty
// text once the script runs out) and records what each request asked.
class FakeLanguageModel final : public LanguageModel {
public:
    struct Request {
        QString instructions;
        QString prompt;
        QString schemaName; // empty for plain text
    };

    bool available = true;

    bool isAvailable() const override { return available; }
    std::shared_ptr<LanguageModelSession> makeSession(const QString& instructions) override;

    void enqueue(Result<QString> answer) { m_script->answers.push_back(std::move(answer)); }
    QList<Request> requests() const { return m_script->requests; }
    int sessionsMade() const { return m_script->sessions; }

    struct Script {
        std::deque<Result<QString>> answers;
        QList<Request> requests;
        int sessions = 0;
    };

private:
    std::shared_ptr<Script> m_script = std::make_shared<Script>();
};

} // namespace quillora::test
