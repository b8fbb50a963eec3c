#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

namespace quillora {

// The user's persisted settings, stored with QSettings (organisation and application
// "Quillora"). Every write emits changed(key) on every Settings object of the same file, so
// each screen bound to a key refreshes whoever wrote it. Reading never stores a default. The
// file is kept readable by its owner only, since it may hold an API key.
class Settings final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Settings)

public:
    static inline const QString selectedGradientIDKey = QStringLiteral("QuilloraSelectedGradientID");
    static inline const QString backgroundShapeKey = QStringLiteral("QuilloraBackgroundShape");
    static inline const QString colorThemeKey = QStringLiteral("QuilloraColorTheme");
    static inline const QString openAIAPIKeyKey = QStringLiteral("OpenAIAPIKey");

    static constexpr int defaultSelectedGradientID = 3;
    static inline const QString defaultBackgroundShape = QStringLiteral("circles");
    static inline const QString defaultColorTheme = QStringLiteral("pastel");

    // The user's settings file.
    explicit Settings(QObject* parent = nullptr);
    // A settings file at an explicit path (INI format); for tests and tools.
    explicit Settings(const QString& filePath, QObject* parent = nullptr);
    ~Settings() override;

    QString fileName() const;

    // Raw value of the selected background gradient (not validated; readers fall back to g4).
    int selectedGradientID() const;
    void setSelectedGradientID(int rawValue);

    // Raw value of the PDF page background's shape pattern.
    QString backgroundShapeRaw() const;
    void setBackgroundShapeRaw(const QString& rawValue);

    // Raw value of the PDF page background's colour theme.
    QString colorThemeRaw() const;
    void setColorThemeRaw(const QString& rawValue);

    // The OpenAI key exactly as the user entered it (empty when none); callers trim it.
    QString openAIAPIKey() const;
    void setOpenAIAPIKey(const QString& key);

    bool contains(const QString& key) const;
    QVariant value(const QString& key, const QVariant& defaultValue = {}) const;
    void setValue(const QString& key, const QVariant& value);
    // Removes the entry; readers then see their default. Removing a missing entry is no error.
    void remove(const QString& key);

signals:
    void changed(const QString& key);

private:
    void restrictFile() const;
    void commit(const QString& key);
    bool savedToDisk(const QString& key) const;
    void reportUnreadableFile() const;

    std::unique_ptr<QSettings> m_settings;
};

} // namespace quillora
