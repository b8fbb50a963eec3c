#pragma once

#include <QString>

#include <optional>

namespace quillora {

class Settings;

// The OpenAI chat-completions client. The user's API key lives in the settings under
// "OpenAIAPIKey"; a stored key switches the AI tools from the on-device model to OpenAI.
// The key is never printed or logged.
class OpenAIClient final {
public:
    // The stored key trimmed of white space and line breaks, or nothing when the entry is
    // absent, empty or only white space.
    static std::optional<QString> storedAPIKey();
    static std::optional<QString> storedAPIKey(const Settings& settings);

    // Stores the key trimmed; a key that is blank once trimmed removes the entry.
    static void setAPIKey(const QString& key);
    static void setAPIKey(Settings& settings, const QString& key);
};

} // namespace quillora
