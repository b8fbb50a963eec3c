#pragma once

#include <QAbstractButton>
#include <QWidget>

class QComboBox;
class QLabel;

namespace quillora {

class Appearance;
class BusySpinner;
class EditorActions;
class EditorSectionCard;

// One row button of the "Actions & Style" card: a symbol in the accent colour, a semibold
// title and, while busy, a spinner at the far end, on a rounded, outlined panel. The whole row
// takes the click.
class ActionRowButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActionRowButton)

public:
    ActionRowButton(Appearance& appearance, const QString& symbol, const QString& title,
                    QWidget* parent = nullptr);
    ~ActionRowButton() override;

    QString symbol() const { return m_symbol; }
    void setSizes(qreal iconSize, qreal labelSize);
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Appearance* m_appearance;
    QString m_symbol;
    qreal m_iconSize = 17;
    BusySpinner* m_spinner;
    bool m_busy = false;
};

// The card's content: the preview and export rows, the page-background pickers and the
// recruiting-network button with its help. It keeps no state of its own; it shows and starts
// what EditorActions holds and does.
class ActionsStyleContent final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActionsStyleContent)

public:
    // The width-dependent measures, in points, for the editor's content width.
    struct Metrics {
        qreal iconSize = 17;
        qreal labelSize = 15;
        qreal pickerTitleWidth = 54.4;
        qreal helpCircleSize = 34;
        qreal helpGlyphSize = 16;
    };
    static Metrics metricsForWidth(qreal width);

    explicit ActionsStyleContent(EditorActions& actions, QWidget* parent = nullptr);
    ~ActionsStyleContent() override;

    Metrics metrics() const { return m_metrics; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyMetrics();
    void applyScheme();
    void refreshState();
    void refreshPickers();

    EditorActions& m_actions;
    Appearance* m_appearance;
    Metrics m_metrics;
    QList<ActionRowButton*> m_rows;
    QWidget* m_styleBlock;
    QList<QLabel*> m_pickerIcons;
    QList<QLabel*> m_pickerTitles;
    QComboBox* m_shapePicker;
    QComboBox* m_colorPicker;
    ActionRowButton* m_morvessaButton;
    QAbstractButton* m_helpButton;
};

// "Actions & Style", the last card of the editor.
EditorSectionCard* makeActionsStyleCard(EditorActions& actions);

} // namespace quillora
