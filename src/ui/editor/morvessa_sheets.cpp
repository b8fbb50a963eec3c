#include "editor/morvessa_sheets.h"

#include "controls/accessibility_traits.h"
#include "controls/glass_capsule_button.h"
#include "controls/keep_focus.h"
#include "controls/symbol_icon.h"
#include "controls/window_placement.h"
#include "editor/editor_controls.h"
#include "help/help_sheet_container.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace quillora {

namespace {

constexpr int kSymbolSize = 16;
constexpr int kWhyHeight = 520;
constexpr int kConfirmHeight = 360;

QFont sheetFont() {
    return namedFont(QStringLiteral("Oswald-Light"), 16);
}

// A capsule whose face is `label`; a screen reader reads `title` as the button's name.
GlassCapsuleButton* capsule(Appearance& appearance, QWidget* label, const QString& title,
                            const QString& name) {
    auto* button = new GlassCapsuleButton(appearance);
    button->setObjectName(name);
    button->setLabelWidget(label);
    button->setAccessibleName(title);
    hideFromAccessibility(label);
    button->setAutoDefault(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

} // namespace

MorvessaButtonRow::MorvessaButtonRow(Appearance& appearance, const QString& symbol, const QString& title,
                                     QWidget* parent)
    : QWidget(parent)
    , m_appearance(&appearance)
    , m_symbol(symbol)
    , m_icon(new QLabel(this))
    , m_title(new QLabel(title, this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addStretch(1);
    layout->addWidget(m_icon);
    layout->addWidget(m_title);
    layout->addStretch(1);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(systemFont(15, QFont::DemiBold));
    connect(&appearance, &Appearance::changed, this, &MorvessaButtonRow::applyScheme);
    applyScheme();
}

MorvessaButtonRow::~MorvessaButtonRow() = default;

QString MorvessaButtonRow::title() const {
    return m_title->text();
}

void MorvessaButtonRow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyScheme();
}

void MorvessaButtonRow::applyScheme() {
    const bool light = m_appearance->isLight();
    const qreal opacity = isEnabled() ? 1.0 : 0.4;
    m_icon->setPixmap(
        symbolPixmap(m_symbol, withAlpha(accentColor(light), opacity), kSymbolSize, devicePixelRatioF()));
    // A style sheet, so that the capsule's own label colour does not cover the dimmed one.
    const QColor ink = withAlpha(cardInk(light), opacity);
    m_title->setStyleSheet(QStringLiteral("color: rgba(%1, %2, %3, %4);")
                               .arg(ink.red())
                               .arg(ink.green())
                               .arg(ink.blue())
                               .arg(ink.alphaF()));
}

HelpSheetContainer* makeWhyMorvessaSheet(Appearance& appearance, QWidget* opener) {
    auto* sheet = new HelpSheetContainer(appearance, QStringLiteral("Why Morvessa?"), opener);
    sheet->setObjectName(QStringLiteral("whyMorvessaSheet"));
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setContentFont(sheetFont());
    QLabel* text = sheet->addParagraph(QStringLiteral(
        "Sharing your resume with Morvessa makes you visible to recruiters and professionals through the "
        "free "
        "Morvessa app, a space for networking, discovering opportunities, and engaging with others.\n\n"
        "Instead of applying to jobs one by one, your resume becomes part of a secure talent network where "
        "opportunities can come directly to you.\n\n"
        "You remain in full control, with the ability to update your resume at any time."));
    text->setObjectName(QStringLiteral("whyMorvessaText"));
    // The app is not in any store yet: the link cannot be followed.
    const QString linkTitle = QStringLiteral("Get Morvessa (coming soon)");
    auto* link =
        capsule(appearance, new MorvessaButtonRow(appearance, QStringLiteral("arrow.down.app"), linkTitle),
                linkTitle, QStringLiteral("getMorvessaLink"));
    link->setEnabled(false);
    sheet->addContent(link);
    // Reached by Tab and read as unavailable, as a text of the sheet is.
    keepReachableWhileDisabled(link);
    fitToAvailableGeometry(sheet, QSize(sheet->width(), kWhyHeight));
    return sheet;
}

HelpSheetContainer* makeMorvessaConfirmSheet(Appearance& appearance, bool shared, const QStringList& missing,
                                             std::function<void()> confirm, QWidget* opener) {
    auto* sheet = new HelpSheetContainer(
        appearance, shared ? QStringLiteral("Remove From Morvessa") : QStringLiteral("Share With Morvessa"),
        opener);
    sheet->setObjectName(QStringLiteral("morvessaConfirmSheet"));
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setContentFont(sheetFont());
    QLabel* text = sheet->addParagraph(
        shared
            ? QStringLiteral(
                  "Your resume will be removed from the Morvessa network. You can share it again any time.")
            : QStringLiteral(
                  "Your resume will be shared to the Morvessa network so recruiters can discover you. "
                  "You can update or remove it any time."));
    text->setObjectName(QStringLiteral("morvessaConfirmText"));
    const bool blocked = !shared && !missing.isEmpty();
    if (blocked) {
        sheet->addHeading(QStringLiteral("Complete these items before uploading:"),
                          HelpSheetContainer::headlineFont());
        for (const QString& item : missing)
            sheet->addBulletRow(item);
    }

    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("morvessaConfirmButtons"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 12, 0, 0);
    layout->setSpacing(12);
    auto* cancelLabel = new QLabel(QStringLiteral("Cancel"));
    cancelLabel->setAlignment(Qt::AlignCenter);
    cancelLabel->setFont(systemFont(15, QFont::DemiBold));
    auto* cancel =
        capsule(appearance, cancelLabel, cancelLabel->text(), QStringLiteral("morvessaCancelButton"));
    const QString confirmTitle = shared ? QStringLiteral("Remove") : QStringLiteral("Share");
    auto* confirmButton =
        capsule(appearance,
                new MorvessaButtonRow(
                    appearance, shared ? QStringLiteral("trash") : QStringLiteral("icloud.and.arrow.up"),
                    confirmTitle),
                confirmTitle, QStringLiteral("morvessaConfirmButton"));
    confirmButton->setEnabled(!blocked);
    layout->addWidget(cancel, 1);
    layout->addWidget(confirmButton, 1);
    if (blocked)
        keepReachableWhileDisabled(confirmButton);
    sheet->addContent(row);
    QObject::connect(cancel, &QPushButton::clicked, sheet, &QDialog::reject);
    QObject::connect(confirmButton, &QPushButton::clicked, sheet, [sheet, confirm = std::move(confirm)] {
        sheet->accept();
        confirm();
    });
    // Room for the checklist, so the buttons stay in view below it.
    const int checklist = blocked ? 60 + 50 * int(missing.size()) : 0;
    fitToAvailableGeometry(sheet, QSize(sheet->width(), std::min(kConfirmHeight + checklist, 720)));
    return sheet;
}

} // namespace quillora
