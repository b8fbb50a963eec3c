#pragma once

#include <QObject>

#include <memory>
#include <optional>

namespace quillora {

class MotionPreferenceSource;

enum class ColorScheme { light, dark };

// The look the desktop asks for. Light or dark follows the lightness of the application
// palette's window colour; reduce motion follows the desktop's setting when a source for it is
// given (off otherwise), and changes with it. Tests force either value with the overrides.
// Every scheme-dependent choice asks only isLight().
class Appearance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Appearance)

public:
    explicit Appearance(QObject* parent = nullptr);
    ~Appearance() override;

    bool isLight() const;
    ColorScheme colorScheme() const { return isLight() ? ColorScheme::light : ColorScheme::dark; }
    bool reduceMotion() const;
    // Whether reduceMotion() already holds the desktop's answer: false only while the motion
    // source is still waiting for its first one (motionSettled() follows).
    bool isMotionSettled() const;

    // Where reduce motion is read from; its changes are announced through changed().
    void setMotionSource(std::unique_ptr<MotionPreferenceSource> source);

    // std::nullopt returns to following the palette (or the motion source for reduce motion).
    void setLightOverride(std::optional<bool> isLight);
    void setReduceMotionOverride(std::optional<bool> reduceMotion);

signals:
    // Emitted when isLight() or reduceMotion() may have changed.
    void changed();
    // isMotionSettled() turned true.
    void motionSettled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool paletteIsLight() const;

    std::optional<bool> m_lightOverride;
    std::optional<bool> m_reduceMotionOverride;
    std::unique_ptr<MotionPreferenceSource> m_motionSource;
    bool m_lastLight = true;
    bool m_lastReduceMotion = false;
};

} // namespace quillora
