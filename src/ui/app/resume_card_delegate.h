#pragma once

#include <QStyledItemDelegate>

namespace quillora {

class Resume;

// Paints one résumé card: the title over the full name, sized for the list's width, with the
// row separator below. The card shows no date. Four states are told apart: the open résumé (an
// accent fill with a bar at the leading edge), the résumé a delete confirmation asks about (a
// destructive outline), the keyboard's current row while the list has the focus (an accent
// ring) and the row under the pointer (a faint veil).
class ResumeCardDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeCardDelegate)

public:
    explicit ResumeCardDelegate(QObject* parent = nullptr);

    // The width the list screen has; the card's type grows with it.
    void setAvailableWidth(qreal width);
    void setLightScheme(bool light) { m_light = light; }

    // The résumé shown as open, and the one marked while its deletion is being confirmed
    // (either may be null).
    void setOpenResume(const Resume* resume) { m_open = resume; }
    const Resume* openResume() const { return m_open; }
    void setMarkedForDeletion(const Resume* resume) { m_markedForDeletion = resume; }
    const Resume* markedForDeletion() const { return m_markedForDeletion; }

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
    const Resume* m_open = nullptr;
    const Resume* m_markedForDeletion = nullptr;
};

} // namespace quillora
