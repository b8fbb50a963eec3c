#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

namespace quillora {

// A rounded card filled with the scheme's translucent "material" (or a fill of the caller's
// choosing) and outlined with a thin stroke, painted over the themed background. Children are
// laid out on it as on any widget.
class FrostedCard final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrostedCard)

public:
    explicit FrostedCard(qreal cornerRadius, QWidget* parent = nullptr);

    void setLightScheme(bool light);
    // Replaces the scheme's material fill; std::nullopt returns to it.
    void setFill(std::optional<QColor> fill);
    std::optional<QColor> fill() const { return m_fill; }
    void setStroke(const QColor& color, qreal width = 1.0);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
    std::optional<QColor> m_fill;
    QColor m_stroke;
    qreal m_strokeWidth = 1.0;
    bool m_light = true;
};

} // namespace quillora
