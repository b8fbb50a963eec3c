#pragma once

#include "editor/font_catalog.h"

#include <QAbstractButton>
#include <QDialog>
#include <QPointer>

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace quillora {

class Appearance;
class FloatingHelpButton;
class HelpSheetContainer;
class Services;
class ThemedBackground;

// One font of the picker: its label drawn in that very font, a check mark when it is the
// résumé's font, on a rounded tile outlined in the accent colour when selected.
class FontOptionRow final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FontOptionRow)

public:
    static constexpr qreal cornerRadius = 14;
    static constexpr int padding = 12;
    static constexpr qreal labelSize = 18;

    FontOptionRow(Appearance& appearance, const FontOption& option, QWidget* parent = nullptr);
    ~FontOptionRow() override;

    const FontOption& option() const { return m_option; }
    bool isSelectedFont() const { return m_selected; }
    void setSelectedFont(bool selected);
    // "Selected" or "Not selected".
    QString accessibilityValue() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FontOption m_option;
    QFont m_font;
    bool m_selected = false;
    Appearance* m_appearance;
};

// The sheet in which the user picks the résumé's typeface from the 25 fonts. A click writes
// that font's name through fontSelected at once; the picker stays open and saves nothing.
class FontPickerView final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FontPickerView)

public:
    // The width-dependent measures of the list, in points.
    struct Metrics {
        qreal maxListWidth = 560;
        qreal sidePadding = 16;
    };
    static Metrics metricsForWidth(qreal width);
    static constexpr int rowSpacing = 8;

    FontPickerView(Services& services, const QString& selectedFont, QWidget* parent = nullptr);
    ~FontPickerView() override;

    QString selectedFont() const { return m_selectedFont; }
    // The bound value changed elsewhere: moves the check mark.
    void setSelectedFont(const QString& fontName);
    const QList<FontOptionRow*>& rows() const { return m_rows; }
    FontOptionRow* row(const QString& fontName) const;
    HelpSheetContainer* helpSheet() const { return m_help; }
    QScrollArea* scrollArea() const { return m_scrollArea; }
    QWidget* list() const { return m_list; }
    void openHelp();

signals:
    void fontSelected(const QString& fontName);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyMetrics();
    void applyScheme();

    QString m_selectedFont;
    Appearance* m_appearance;
    ThemedBackground* m_background;
    QScrollArea* m_scrollArea;
    QWidget* m_page;
    QVBoxLayout* m_pageLayout;
    QWidget* m_list;
    QLabel* m_titleLabel;
    QList<FontOptionRow*> m_rows;
    FloatingHelpButton* m_helpButton;
    QPointer<HelpSheetContainer> m_help;
};

} // namespace quillora
