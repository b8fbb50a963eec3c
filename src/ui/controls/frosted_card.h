#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

class QPainter;
class QPainterPath;

namespace quillora {

// Fills shape, in panel's coordinates, with the translucent tint over what lies behind panel,
// blurred when that is the themed background of its window: when panel lies straight on it, with
// no ancestor in between that paints a fill or is a frosted panel itself (what shows through is
// then that panel, already frosted, so it gets the tint alone).
void paintFrostedMaterial(QPainter& painter, const QWidget& panel, const QPainterPath& shape,
                          const QColor& tint);

// A rounded card filled with the scheme's translucent "material", which shows the themed background
// behind it blurred (or a fill of the caller's choosing), and outlined with a thin stroke. Children
// are laid out on it as on any widget.
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
