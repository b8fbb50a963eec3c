#pragma once

#include <QColor>
#include <QSplitter>

namespace quillora {

// A splitter whose handle is a one-pixel line in a colour of the caller's choosing (the scheme's
// separator ink), still grabbed over a few pixels either side.
class HairlineSplitter final : public QSplitter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HairlineSplitter)

public:
    explicit HairlineSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    QColor lineColor() const { return m_lineColor; }
    void setLineColor(const QColor& color);

protected:
    QSplitterHandle* createHandle() override;

private:
    QColor m_lineColor;
};

} // namespace quillora
