#pragma once

#include <QStyledItemDelegate>

namespace quillora {

// Paints one résumé card: the title over the full name, sized for the list's width, with the
// row separator below. The card shows no date.
class ResumeCardDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeCardDelegate)

public:
    explicit ResumeCardDelegate(QObject* parent = nullptr);

    // The width the list screen has; the card's type grows with it.
    void setAvailableWidth(qreal width);
    void setLightScheme(bool light) { m_light = light; }

    // 17 + 5t and 14 + 4t points, t = (w − 375) / 1025 within 0…1.
    static qreal titlePointSize(qreal width);
    static qreal namePointSize(qreal width);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    qreal m_width = 800;
    bool m_light = true;
    QFont m_titleFont;
    QFont m_nameFont;
    int m_rowHeight = 0;
};

} // namespace quillora
