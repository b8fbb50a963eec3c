#include "ai/openai_client.h"

#include "platform/settings.h"

namespace quillora {

std::optional<QString> OpenAIClient::storedAPIKey(const Settings& settings) {
    const QString key = settings.openAIAPIKey().trimmed();
    if (key.isEmpty())
        return std::nullopt;
    return key;
}

void OpenAIClient::setAPIKey(Settings& settings, const QString& key) {
    const QString trimmed = key.trimmed();
    if (trimmed.isEmpty())
        settings.remove(Settings::openAIAPIKeyKey);
    else
        settings.setOpenAIAPIKey(trimmed);
}

} // namespace quillora
