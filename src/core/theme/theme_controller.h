#pragma once

#include "theme/project_theme.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace quillora {

class Settings;

// The one holder of the persisted look settings that the main window's screens share: the
// background gradient of every screen and the shape and colour theme of the PDF page
// background. The values live in Settings, so screens that bind the keys directly and the
// controller see each other's writes; changed(key) fires for every write to one of the three.
class QuilloraThemeController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuilloraThemeController)

public:
    explicit QuilloraThemeController(Settings& settings, QObject* parent = nullptr);
    ~QuilloraThemeController() override;

    // Raw stored values; nothing validates them and reading never stores a default.
    int storedGradientID() const;
    void setStoredGradientID(int rawValue);
    QString storedShapeRaw() const;
    void setStoredShapeRaw(const QString& rawValue);
    QString storedColorThemeRaw() const;
    void setStoredColorThemeRaw(const QString& rawValue);

    // The gradient the screens show: the stored one, or g4 when the stored id is out of range
    // (the stored value itself is left as it is).
    QuilloraGradientID selectedGradient() const;
    // What the gradient picker calls: stores the id and announces the change.
    void selectGradient(QuilloraGradientID id);

    // The background of the selected gradient in the given scheme, from the standard theme.
    BackgroundStyle backgroundStyle(ColorScheme scheme) const;

    Settings& settings() const { return *m_settings; }

signals:
    void changed(const QString& key);

private:
    Settings* m_settings;
};

} // namespace quillora
