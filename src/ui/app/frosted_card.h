#pragma once

#include <QColor>
#include <QWidget>

namespace quillora {

// A rounded card with a translucent "material" fill and a thin stroke, painted over the themed
// background. Children are laid out on it as on any widget.
class FrostedCard final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrostedCard)

public:
    explicit FrostedCard(qreal cornerRadius, QWidget* parent = nullptr);

    void setStroke(const QColor& color, qreal width = 1.0);
    void setLightScheme(bool light);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
    QColor m_stroke;
    qreal m_strokeWidth = 1.0;
    bool m_light = true;
};

// Text colours that follow the colour scheme: black at 0.9 / 0.55 in the light scheme,
// white / white at 0.65 otherwise.
QColor primaryInk(bool light);
QColor secondaryInk(bool light);
QColor withAlpha(QColor color, qreal factor);

} // namespace quillora
