#include "editor/font_picker_view.h"

#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/floating_buttons.h"
#include "controls/focus_ring.h"
#include "controls/outcome.h"
#include "controls/overlay_scroll_bar.h"
#include "controls/symbol_icon.h"
#include "controls/window_placement.h"
#include "editor/editor_controls.h"
#include "editor/editor_help.h"
#include "help/help_sheet_container.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/hex_color.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quillora {

// --- FontOptionRow ----------------------------------------------------------------------------

FontOptionRow::FontOptionRow(Appearance& appearance, const FontOption& option, QWidget* parent)
    : QAbstractButton(parent)
    , m_option(option)
    , m_font(namedFont(option.fontName, labelSize))
    , m_appearance(&appearance) {
    setObjectName(fontOptionIdentifier(option.fontName));
    setAccessibleName(option.label);
    setAccessibleDescription(QStringLiteral("Applies this font to the resume"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCheckable(false);
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    setAccessibleValue(this, accessibilityValue());
    setAccessibleSelected(this, m_selected);
}

FontOptionRow::~FontOptionRow() = default;

void FontOptionRow::setSelectedFont(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    setAccessibleValue(this, accessibilityValue());
    setAccessibleSelected(this, m_selected);
    update();
}

QString FontOptionRow::accessibilityValue() const {
    return m_selected ? QStringLiteral("Selected") : QStringLiteral("Not selected");
}

QSize FontOptionRow::sizeHint() const {
    const QFontMetrics fm(m_font);
    return QSize(fm.horizontalAdvance(m_option.label) + 2 * padding + 40,
                 std::max(fm.height(), 22) + 2 * padding);
}

void FontOptionRow::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(tile, cornerRadius, cornerRadius);
    painter.fillPath(path, light ? QColor::fromRgbF(0, 0, 0, 0.06f) : QColor::fromRgbF(1, 1, 1, 0.08f));
    const QColor stroke =
        m_selected ? accentColor(light)
                   : (light ? QColor::fromRgbF(0, 0, 0, 0.9f * 0.18f) : QColor::fromRgbF(1, 1, 1, 0.14f));
    painter.strokePath(path, QPen(stroke, isDown() ? 1.6 : 1.0));
    if (hasFocus())
        paintFocusRing(painter, QRectF(rect()), cornerRadius, light);

    const QRect content = rect().adjusted(padding, padding, -padding, -padding);
    const int check = 22;
    QRect textRect = content;
    if (m_selected) {
        textRect.setRight(content.right() - check - 8);
        paintSymbol(painter,
                    QRectF(content.right() - check, content.center().y() - check / 2.0, check, check),
                    QStringLiteral("checkmark.circle.fill"), accentColor(light));
    }
    painter.setFont(m_font);
    painter.setPen(cardInk(light));
    const QFontMetrics fm(m_font);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     fm.elidedText(m_option.label, Qt::ElideRight, textRect.width()));
}

// --- FontPickerView ---------------------------------------------------------------------------

FontPickerView::Metrics FontPickerView::metricsForWidth(qreal width) {
    return Metrics{560 + 360 * responsiveScale(width, responsiveSpanHelpColumn),
                   16 + 28 * responsiveScale(width, responsiveSpanCommon)};
}

FontPickerView::FontPickerView(Services& services, const QString& selectedFont, QWidget* parent)
    : QDialog(parent)
    , m_selectedFont(selectedFont)
    , m_appearance(&services.appearance())
    , m_background(new ThemedBackground(services.settings(), *m_appearance, this))
    , m_scrollArea(new QScrollArea(m_background))
    , m_page(new QWidget)
    , m_pageLayout(new QVBoxLayout(m_page))
    , m_list(new QWidget(m_page))
    , m_titleLabel(new QLabel(QStringLiteral("Font Picker"), m_page)) {
    setObjectName(QStringLiteral("fontPickerSheet"));
    setWindowTitle(QStringLiteral("Font Picker"));
    setAccessibleName(QStringLiteral("Font Picker"));
    setWindowModality(Qt::WindowModal);
    m_background->setOrbScale(1.15);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_background);
    auto* inner = new QVBoxLayout(m_background);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->addWidget(m_scrollArea);
    setUpTransparentScrollArea(*m_appearance, m_scrollArea, m_page);

    m_titleLabel->setObjectName(QStringLiteral("fontPickerTitle"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setFont(systemFont(17, QFont::DemiBold));
    m_titleLabel->setContentsMargins(48, 0, 48, 0);
    m_pageLayout->setSpacing(0);
    m_pageLayout->addWidget(m_titleLabel);
    auto* listRow = new QHBoxLayout;
    listRow->addStretch(1);
    listRow->addWidget(m_list, 100);
    listRow->addStretch(1);
    m_pageLayout->addLayout(listRow);
    m_pageLayout->addStretch(1);

    auto* listLayout = new QVBoxLayout(m_list);
    listLayout->setContentsMargins(0, 10, 0, 10);
    listLayout->setSpacing(rowSpacing);
    for (const FontOption& option : fontPickerFonts()) {
        auto* row = new FontOptionRow(*m_appearance, option, m_list);
        row->setSelectedFont(option.fontName == m_selectedFont);
        connect(row, &QAbstractButton::clicked, this, [this, row, name = option.fontName] {
            setSelectedFont(name);
            announceOutcome(row, row->option().label + QStringLiteral(" selected."));
            emit fontSelected(name);
        });
        listLayout->addWidget(row);
        m_rows.append(row);
    }

    new FloatingCloseButton(*m_appearance, this, true);
    m_helpButton = new FloatingHelpButton(*m_appearance, this);
    connect(m_helpButton, &FloatingHelpButton::helpRequested, this, &FontPickerView::openHelp);
    connect(m_appearance, &Appearance::changed, this, &FontPickerView::applyScheme);
    applyScheme();
    fitToAvailableGeometry(this, QSize(600, 640));
    applyMetrics();
}

FontPickerView::~FontPickerView() = default;

void FontPickerView::setSelectedFont(const QString& fontName) {
    m_selectedFont = fontName;
    for (FontOptionRow* row : std::as_const(m_rows))
        row->setSelectedFont(row->option().fontName == fontName);
}

FontOptionRow* FontPickerView::row(const QString& fontName) const {
    for (FontOptionRow* row : m_rows) {
        if (row->option().fontName == fontName)
            return row;
    }
    return nullptr;
}

void FontPickerView::openHelp() {
    if (m_help) {
        m_help->raise();
        return;
    }
    // Its headings are set in the sheet's font, as its bullets are.
    m_help = makeEditorHelpSheet(*m_appearance, QStringLiteral("Font Picker Help"), fontPickerHelpContent(),
                                 this, HelpHeadings::SheetFont);
    m_help->setObjectName(QStringLiteral("fontPickerHelpSheet"));
    m_helpButton->setPresented(true);
    connect(m_help, &QDialog::finished, this, [this] {
        m_help = nullptr;
        m_helpButton->setPresented(false);
    });
    m_help->setWindowModality(Qt::WindowModal);
    m_help->open();
}

void FontPickerView::applyMetrics() {
    const Metrics m = metricsForWidth(width());
    const int side = qRound(m.sidePadding);
    // Room above the list for the floating buttons and the title.
    m_pageLayout->setContentsMargins(side, 18, side, 12);
    m_list->setMaximumWidth(qRound(m.maxListWidth));
}

void FontPickerView::applyScheme() {
    // The screen follows the scheme even where the desktop palette does not.
    applySchemePalette(this, m_appearance->isLight());
    QPalette pal = m_titleLabel->palette();
    pal.setColor(QPalette::WindowText, schemeColors::primaryLabel(m_appearance->isLight()));
    m_titleLabel->setPalette(pal);
}

void FontPickerView::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    applyMetrics();
}

} // namespace quillora
