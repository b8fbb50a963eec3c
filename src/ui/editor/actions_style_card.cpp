#include "editor/actions_style_card.h"

#include "controls/accessibility_traits.h"

#include "app/services.h"
#include "controls/editor_section_card.h"
#include "controls/focus_ring.h"
#include "controls/symbol_icon.h"
#include "editor/editor_actions.h"
#include "editor/editor_controls.h"
#include "editor/preparing_pdf_overlay.h"
#include "editor/resume_editor_view.h"
#include "output/background_theme.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/hex_color.h"
#include "theme/responsive_environment.h"
#include "theme/scheme_colors.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

namespace {

constexpr qreal kCornerRadius = 14;
constexpr int kRowHorizontalPadding = 12;
constexpr int kRowVerticalPadding = 10;
constexpr int kRowSpacing = 8;

QColor rowForeground(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.81f) : QColor(Qt::white);
}
QColor rowFill(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.06f) : QColor::fromRgbF(1, 1, 1, 0.1f);
}
QColor rowStroke(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.27f) : QColor::fromRgbF(1, 1, 1, 0.2f);
}
QColor pickerForeground(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.9f) : QColor(Qt::white);
}
QColor helpCircleStroke(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.315f) : QColor::fromRgbF(1, 1, 1, 0.35f);
}

void paintPanel(QPainter& painter, const QRectF& rect, bool light) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(r, kCornerRadius, kCornerRadius);
    painter.fillPath(path, rowFill(light));
    painter.setPen(QPen(rowStroke(light), 1));
    painter.drawPath(path);
}

// The rounded, outlined panel behind the two pickers.
class StylePanel final : public QWidget {
public:
    StylePanel(Appearance& appearance, QWidget* parent)
        : QWidget(parent)
        , m_appearance(&appearance) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintPanel(painter, rect(), m_appearance->isLight());
    }

private:
    Appearance* m_appearance;
};

// The outlined circle with a question mark next to the recruiting-network button.
class HelpCircleButton final : public QAbstractButton {
public:
    HelpCircleButton(Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_appearance(&appearance) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
    }
    void setSizes(qreal circle, qreal glyph) {
        m_circle = circle;
        m_glyph = glyph;
        setFixedSize(qRound(circle), qRound(circle));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool light = m_appearance->isLight();
        painter.setPen(QPen(helpCircleStroke(light), 1));
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        const qreal side = m_glyph * 1.1;
        const QRectF glyph((width() - side) / 2, (height() - side) / 2, side, side);
        paintSymbol(painter, glyph, QStringLiteral("questionmark"), pickerForeground(light));
        if (hasFocus())
            paintFocusRing(painter, QRectF(rect()), width() / 2.0, light);
    }

private:
    Appearance* m_appearance;
    qreal m_circle = 34;
    qreal m_glyph = 16;
};

// A picker in the menu style: the chosen option in the accent colour with a small up-down
// chevron, no box; a click opens the list of options.
class MenuPicker final : public QComboBox {
public:
    MenuPicker(Appearance& appearance, QWidget* parent)
        : QComboBox(parent)
        , m_appearance(&appearance) {
        setCursor(Qt::PointingHandCursor);
        paintsOwnFocusRing(this);
        setFocusPolicy(Qt::StrongFocus);
        setSizeAdjustPolicy(QComboBox::AdjustToContents);
        connect(this, &QComboBox::currentIndexChanged, this, [this] { showChoice(); });
    }

    // The bridge names a combo box by its choice, and a screen reader reads its label (the
    // title beside it) in that place and finds no value: the choice is also its description.
    // A new choice made from the keyboard on the closed picker is said; one made in its open
    // list was heard there, and again as the focus comes back to the picker.
    void showChoice() {
        if (accessibleDescription() == currentText())
            return;
        setAccessibleDescription(currentText());
        if (hasFocus() && window()->isActiveWindow() && !m_listOpen)
            announceToScreenReader(this, currentText());
    }

    void showPopup() override {
        m_listOpen = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        // The choice made in the list comes after the list has gone.
        QTimer::singleShot(0, this, [this] { m_listOpen = false; });
    }
    QSize sizeHint() const override {
        const QFontMetrics fm(font());
        int widest = 0;
        for (int i = 0; i < count(); ++i)
            widest = std::max(widest, fm.horizontalAdvance(itemText(i)));
        // The text keeps clear of the focus ring along the edge.
        return {widest + chevronSpace() + 2 * ringClearance, fm.height() + 2 * ringClearance};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool light = m_appearance->isLight();
        const QColor tint = isEnabled() ? accentColor(light) : withAlpha(accentColor(light), 0.4);
        painter.setFont(font());
        painter.setPen(tint);
        const QRect textRect = rect().adjusted(ringClearance, 0, -chevronSpace(), 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetrics(font()).elidedText(currentText(), Qt::ElideRight, textRect.width()));
        const qreal side = QFontMetrics(font()).height() * 0.55;
        const QRectF chevron(width() - chevronSpace() + 4, (height() - side) / 2, side, side);
        paintSymbol(painter, chevron, QStringLiteral("chevron.down"), tint);
        if (hasFocus())
            paintFocusRing(painter, rect(), 6, light);
    }

private:
    static constexpr int ringClearance = 7;
    int chevronSpace() const { return QFontMetrics(font()).height() * 0.55 + 10; }

    Appearance* m_appearance;
    bool m_listOpen = false;
};

} // namespace

// --- ActionRowButton --------------------------------------------------------------------------

ActionRowButton::ActionRowButton(Appearance& appearance, const QString& symbol, const QString& title,
                                 QWidget* parent)
    : QAbstractButton(parent)
    , m_appearance(&appearance)
    , m_symbol(symbol)
    , m_spinner(new BusySpinner(16, this)) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_spinner->hide();
    setSizes(17, 15);
    connect(&appearance, &Appearance::changed, this, [this] {
        m_spinner->setColor(rowForeground(m_appearance->isLight()));
        update();
    });
    m_spinner->setColor(rowForeground(appearance.isLight()));
}

ActionRowButton::~ActionRowButton() = default;

void ActionRowButton::setSizes(qreal iconSize, qreal labelSize) {
    m_iconSize = iconSize;
    setFont(systemFont(labelSize, QFont::DemiBold));
    updateGeometry();
    update();
}

void ActionRowButton::setBusy(bool busy) {
    m_busy = busy;
    m_spinner->setVisible(busy);
    update();
}

QSize ActionRowButton::sizeHint() const {
    const QFontMetrics fm(font());
    const int content = std::max(qRound(m_iconSize * 1.15), fm.height());
    const int width = 2 * kRowHorizontalPadding + qRound(m_iconSize * 1.15) + kRowSpacing +
                      fm.horizontalAdvance(text()) + (m_busy ? kRowSpacing + m_spinner->width() : 0);
    return {width, content + 2 * kRowVerticalPadding};
}

QSize ActionRowButton::minimumSizeHint() const {
    return {2 * kRowHorizontalPadding + qRound(m_iconSize * 1.15) + kRowSpacing + 40, sizeHint().height()};
}

void ActionRowButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    m_spinner->move(width() - kRowHorizontalPadding - m_spinner->width(),
                    (height() - m_spinner->height()) / 2);
}

void ActionRowButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool light = m_appearance->isLight();
    paintPanel(painter, rect(), light);
    const qreal opacity = isEnabled() ? (isDown() ? 0.7 : 1.0) : 0.5;
    painter.setOpacity(opacity);
    const qreal iconBox = m_iconSize * 1.15;
    const QRectF icon(kRowHorizontalPadding, (height() - iconBox) / 2, iconBox, iconBox);
    paintSymbol(painter, icon, m_symbol, accentColor(light));
    const int textLeft = qRound(icon.right()) + kRowSpacing;
    const int textRight = width() - kRowHorizontalPadding - (m_busy ? m_spinner->width() + kRowSpacing : 0);
    const QRect textRect(textLeft, 0, std::max(0, textRight - textLeft), height());
    painter.setFont(font());
    painter.setPen(rowForeground(light));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(font()).elidedText(text(), Qt::ElideRight, textRect.width()));
    if (hasFocus())
        paintFocusRing(painter, rect(), kCornerRadius, light);
}

// --- ActionsStyleContent ----------------------------------------------------------------------

ActionsStyleContent::Metrics ActionsStyleContent::metricsForWidth(qreal width) {
    const qreal a = std::clamp((width - 375) / 1025, 0.0, 1.0);
    const qreal b = std::clamp((width - 375) / 1065, 0.0, 1.0);
    Metrics m;
    m.iconSize = std::max(6 * b + 17, 14.0);
    m.labelSize = std::max(7 * b + 15, 14.0);
    m.pickerTitleWidth = std::max(3.2 * (7 * b + 17), 52.0);
    m.helpCircleSize = std::max(12 * a + 34, 30.0);
    m.helpGlyphSize = std::max(6 * a + 16, 14.0);
    return m;
}

ActionsStyleContent::ActionsStyleContent(EditorActions& actions, QWidget* parent)
    : QWidget(parent)
    , m_actions(actions)
    , m_appearance(&actions.editor().appearance()) {
    setObjectName(QStringLiteral("actionsStyleContent"));
    Appearance& appearance = *m_appearance;
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(12);

    struct Row {
        const char* symbol;
        const char* title;
        const char* hint;
        const char* name;
    };
    const Row rows[] = {
        {"doc.text.magnifyingglass", "Preview & Translation",
         "Opens the resume preview and translation tools", "previewTranslationButton"},
        {"square.and.arrow.up.on.square", "Export Creative PDF", "Exports the designed resume as a PDF",
         "exportCreativePDFButton"},
        {"doc.text.fill", "Export ATS PDF", "Exports the ATS-optimized resume as a PDF",
         "exportATSPDFButton"},
    };
    for (const Row& row : rows) {
        auto* button =
            new ActionRowButton(appearance, QLatin1String(row.symbol), QString::fromUtf8(row.title), this);
        button->setObjectName(QLatin1String(row.name));
        button->setAccessibleDescription(QLatin1String(row.hint));
        stack->addWidget(button);
        m_rows << button;
    }
    EditorActions* a = &actions;
    connect(m_rows[0], &QAbstractButton::clicked, this, [a] { a->openTemplatePreview(); });
    connect(m_rows[1], &QAbstractButton::clicked, this,
            [a] { a->runExportAction(&EditorActions::exportCreativePDF); });
    connect(m_rows[2], &QAbstractButton::clicked, this,
            [a] { a->runExportAction(&EditorActions::exportATSPDF); });

    stack->addWidget(new EditorDivider(
        appearance, [](bool light) { return withAlpha(cardInk(light), 0.15); }, this));

    m_styleBlock = new StylePanel(appearance, this);
    m_styleBlock->setObjectName(QStringLiteral("backgroundStyleBlock"));
    auto* block = new QVBoxLayout(m_styleBlock);
    block->setContentsMargins(kRowHorizontalPadding, kRowVerticalPadding, kRowHorizontalPadding,
                              kRowVerticalPadding);
    block->setSpacing(14);
    const auto addPickerRow = [&](const QString& symbol, const QString& title, const QString& name) {
        auto* line = new QHBoxLayout;
        line->setSpacing(10);
        auto* icon = new QLabel(m_styleBlock);
        icon->setProperty("symbol", symbol);
        icon->setAlignment(Qt::AlignCenter);
        auto* label = new QLabel(title, m_styleBlock);
        label->setTextFormat(Qt::PlainText);
        auto* picker = new MenuPicker(appearance, m_styleBlock);
        picker->setObjectName(name);
        picker->setAccessibleName(title);
        // The bridge reads a combo box by its current choice; its title comes from this label.
        label->setBuddy(picker);
        line->addWidget(icon);
        line->addWidget(label);
        line->addWidget(picker);
        line->addStretch(1);
        block->addLayout(line);
        m_pickerIcons << icon;
        m_pickerTitles << label;
        return picker;
    };
    m_shapePicker = addPickerRow(QStringLiteral("scribble.variable"), QStringLiteral("Shapes"),
                                 QStringLiteral("backgroundShapePicker"));
    for (const BackgroundShapeType shape : allBackgroundShapeTypes())
        m_shapePicker->addItem(displayName(shape), rawValue(shape));
    m_colorPicker = addPickerRow(QStringLiteral("circle.lefthalf.filled"), QStringLiteral("Colors"),
                                 QStringLiteral("backgroundColorPicker"));
    for (const BackgroundColorTheme theme : allBackgroundColorThemes())
        m_colorPicker->addItem(displayName(theme), rawValue(theme));
    ResumeEditorView* editor = &actions.editor();
    // Only a choice of the user writes the setting; an unknown stored value stays as it is.
    connect(m_shapePicker, &QComboBox::activated, this, [editor](int index) {
        editor->applyBackgroundShape(allBackgroundShapeTypes().value(index, BackgroundShapeType::circles));
    });
    connect(m_colorPicker, &QComboBox::activated, this, [editor](int index) {
        editor->applyColorTheme(allBackgroundColorThemes().value(index, BackgroundColorTheme::pastel));
    });
    stack->addWidget(m_styleBlock);

    stack->addWidget(new EditorDivider(
        appearance, [](bool light) { return withAlpha(cardInk(light), 0.15); }, this));

    auto* sharing = new QHBoxLayout;
    sharing->setSpacing(10);
    m_morvessaButton =
        new ActionRowButton(appearance, QStringLiteral("icloud.and.arrow.up"), QString(), this);
    m_morvessaButton->setObjectName(QStringLiteral("morvessaActionButton"));
    m_morvessaButton->setAccessibleDescription(QStringLiteral("Shares this resume with Morvessa"));
    connect(m_morvessaButton, &QAbstractButton::clicked, this, [a] { a->openMorvessaConfirm(); });
    auto* help = new HelpCircleButton(appearance, this);
    help->setObjectName(QStringLiteral("morvessaHelpButton"));
    help->setAccessibleName(QStringLiteral("Morvessa help"));
    connect(help, &QAbstractButton::clicked, this, [a] { a->openMorvessaHelp(); });
    m_helpButton = help;
    sharing->addWidget(m_morvessaButton, 1);
    sharing->addWidget(help, 0, Qt::AlignVCenter);
    stack->addLayout(sharing);

    connect(&actions, &EditorActions::stateChanged, this, &ActionsStyleContent::refreshState);
    connect(&actions.editor().services().settings(), &Settings::changed, this, [this](const QString& key) {
        if (key == Settings::backgroundShapeKey || key == Settings::colorThemeKey)
            refreshPickers();
    });
    connect(&appearance, &Appearance::changed, this, &ActionsStyleContent::applyScheme);
    refreshPickers();
    refreshState();
    applyMetrics();
    applyScheme();
}

ActionsStyleContent::~ActionsStyleContent() = default;

bool ActionsStyleContent::event(QEvent* event) {
    if (event->type() == responsiveLayoutChangeEvent() || event->type() == QEvent::ParentChange)
        applyMetrics();
    return QWidget::event(event);
}

void ActionsStyleContent::paintEvent(QPaintEvent*) {}

void ActionsStyleContent::refreshPickers() {
    const QSignalBlocker shapeBlocker(m_shapePicker);
    const QSignalBlocker colorBlocker(m_colorPicker);
    m_shapePicker->setCurrentIndex(int(allBackgroundShapeTypes().indexOf(m_actions.backgroundShape())));
    m_colorPicker->setCurrentIndex(int(allBackgroundColorThemes().indexOf(m_actions.colorTheme())));
    for (QComboBox* picker : {m_shapePicker, m_colorPicker})
        static_cast<MenuPicker*>(picker)->showChoice();
}

void ActionsStyleContent::refreshState() {
    m_morvessaButton->setText(m_actions.morvessaActionLabel());
    m_morvessaButton->setAccessibleName(m_actions.morvessaActionLabel());
    m_morvessaButton->setBusy(m_actions.isPushingToMorvessa());
    m_morvessaButton->setEnabled(!m_actions.isPushingToMorvessa());
}

void ActionsStyleContent::applyMetrics() {
    m_metrics = metricsForWidth(responsiveLayout(this).width);
    for (ActionRowButton* row : m_rows)
        row->setSizes(m_metrics.iconSize, m_metrics.labelSize);
    m_morvessaButton->setSizes(m_metrics.iconSize, m_metrics.labelSize);
    static_cast<HelpCircleButton*>(m_helpButton)->setSizes(m_metrics.helpCircleSize, m_metrics.helpGlyphSize);
    const QFont titleFont = systemFont(m_metrics.labelSize, QFont::DemiBold);
    // The column is never narrower than its longest title in the face at hand.
    int titleWidth = qRound(m_metrics.pickerTitleWidth);
    for (QLabel* title : m_pickerTitles)
        titleWidth = std::max(titleWidth, QFontMetrics(titleFont).horizontalAdvance(title->text()) + 2);
    for (QLabel* title : m_pickerTitles) {
        title->setFont(titleFont);
        title->setFixedWidth(titleWidth);
    }
    for (QLabel* icon : m_pickerIcons)
        icon->setFixedWidth(qRound(m_metrics.iconSize + 6));
    const QFont pickerFont = systemFont(16);
    m_shapePicker->setFont(pickerFont);
    m_colorPicker->setFont(pickerFont);
    applyScheme();
}

void ActionsStyleContent::applyScheme() {
    const bool light = m_appearance->isLight();
    for (QLabel* icon : m_pickerIcons) {
        icon->setPixmap(symbolPixmap(icon->property("symbol").toString(), accentColor(light),
                                     qRound(m_metrics.iconSize * 1.15), devicePixelRatioF()));
    }
    for (QLabel* title : m_pickerTitles) {
        QPalette pal = title->palette();
        pal.setColor(QPalette::WindowText, rowForeground(light));
        title->setPalette(pal);
    }
    for (QComboBox* picker : {m_shapePicker, m_colorPicker}) {
        // The open list takes the sheet colours of the scheme.
        QPalette pal = picker->palette();
        pal.setColor(QPalette::Base, schemeColors::sheetBackground(light));
        pal.setColor(QPalette::Window, schemeColors::sheetBackground(light));
        pal.setColor(QPalette::Text, pickerForeground(light));
        pal.setColor(QPalette::WindowText, pickerForeground(light));
        pal.setColor(QPalette::ButtonText, accentColor(light));
        pal.setColor(QPalette::Highlight, withAlpha(accentColor(light), 0.3));
        pal.setColor(QPalette::HighlightedText, pickerForeground(light));
        picker->setPalette(pal);
        picker->view()->setPalette(pal);
        picker->update();
    }
    update();
}

EditorSectionCard* makeActionsStyleCard(EditorActions& actions) {
    Appearance& appearance = actions.editor().appearance();
    auto* card =
        new EditorSectionCard(appearance, QStringLiteral("sparkles"), QStringLiteral("Actions & Style"),
                              QStringLiteral("Preview, export, and style"), cardInk(appearance.isLight()),
                              new ActionsStyleContent(actions));
    card->setObjectName(QStringLiteral("actionsStyleCard"));
    QObject::connect(&appearance, &Appearance::changed, card,
                     [card, &appearance] { card->setAccent(cardInk(appearance.isLight())); });
    return card;
}

} // namespace quillora
