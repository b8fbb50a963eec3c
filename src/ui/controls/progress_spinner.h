#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

namespace quillora {

// A small turning arc that says "working"; it turns only while shown.
class ProgressSpinner final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressSpinner)

public:
    explicit ProgressSpinner(int side = 16, QWidget* parent = nullptr);
    ~ProgressSpinner() override;

    void setColor(const QColor& color);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    QColor m_color = Qt::black;
    int m_angle = 0;
};

} // namespace quillora
