#pragma once

#include <QDialog>

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace quillora {

class Appearance;
class FloatingCloseButton;

// A plain help page for a sheet: a bold title above one paragraph, in a scrolling column that
// widens with the sheet, with the floating close button in the corner. The presenter gives
// both texts.
class PickerHelpSheetView final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PickerHelpSheetView)

public:
    struct Metrics {
        qreal t = 0;
        qreal s = 0;
        qreal maxColumnWidth = 560;
        qreal padding = 16;
        qreal extraTop = 28;
    };
    static Metrics metricsForWidth(qreal width);
    static constexpr int spacing = 20;

    PickerHelpSheetView(Appearance& appearance, const QString& title, const QString& message,
                        QWidget* opener = nullptr);
    ~PickerHelpSheetView() override;

    QString title() const { return m_title; }
    void setTitle(const QString& title);
    QString message() const { return m_message; }
    void setMessage(const QString& message);

    Metrics metrics() const { return m_metrics; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* messageLabel() const { return m_messageLabel; }
    QWidget* column() const { return m_column; }
    QScrollArea* scrollArea() const { return m_scrollArea; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyMetrics();
    void applyScheme();

    QString m_title;
    QString m_message;
    Appearance* m_appearance;
    QScrollArea* m_scrollArea;
    QWidget* m_page;
    QVBoxLayout* m_pageLayout;
    QWidget* m_column;
    QLabel* m_titleLabel;
    QLabel* m_messageLabel;
    Metrics m_metrics;
};

} // namespace quillora
