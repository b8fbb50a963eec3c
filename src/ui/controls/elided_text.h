#pragma once

#include <QLabel>
#include <QString>

class QFontMetricsF;

namespace quillora {

// The text on one line `width` wide, cut with "…" at the end where it is longer, as
// QFontMetricsF::elidedText gives it; only as much of a long text is measured as could show on
// such a line, so a name of a million characters costs what a line of it costs.
QString elidedLine(const QFontMetricsF& metrics, const QString& text, qreal width);

// A one-line label that shows as much of its text as its width holds, cut with "…". However
// long the text, it asks for no more width than the text's beginning needs, and a change of the
// text measures only what shows.
class ElidedLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ElidedLabel)

public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    ~ElidedLabel() override;

    // The whole text; text() is the part shown.
    QString fullText() const { return m_fullText; }
    void setFullText(const QString& text);

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showFitting();

    QString m_fullText;
};

} // namespace quillora
