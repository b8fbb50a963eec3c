#include "output/template_classic.h"

#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/alert_sizing.h"
#include "controls/column_layout.h"
#include "controls/floating_buttons.h"
#include "controls/focus_ring.h"
#include "controls/keep_focus.h"
#include "controls/outcome.h"
#include "controls/progress_spinner.h"
#include "controls/readable_text.h"
#include "controls/readable_text_accessible.h"
#include "controls/screen_order_focus.h"
#include "controls/symbol_icon.h"
#include "controls/window_placement.h"
#include "help/help_sheet_container.h"
#include "output/language_menu_style.h"
#include "output/plain_text_resume.h"
#include "output/preview_text.h"
#include "output/resume_translation.h"
#include "platform/appearance.h"
#include "platform/async.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr int toolsMaxWidth = 260;
constexpr int copyFeedbackMs = 1500;

QString rgba(const QColor& color, qreal opacity) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(QString::number(color.alphaF() * opacity, 'f', 3));
}

// A widget that only holds others and paints nothing itself. When it grows or shrinks only what
// it gains is painted: a page of text whose height changes below the visible part costs no paint.
QWidget* holder(QWidget* parent = nullptr) {
    auto* widget = new QWidget(parent);
    widget->setAttribute(Qt::WA_StaticContents);
    return widget;
}

QLabel* textLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new PreviewText(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // Wrapped lines need the height their width gives them.
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

} // namespace

TemplateClassic* TemplateClassic::present(QWidget* parent, ResumePtr resume, Services& services) {
    auto* sheet = new TemplateClassic(std::move(resume), services, parent);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
    return sheet;
}

TemplateClassic::TemplateClassic(ResumePtr resume, Services& services, QWidget* parent)
    : QDialog(parent)
    , m_resume(std::move(resume))
    , m_services(services)
    , m_appearance(services.appearance())
    , m_languages(makeLanguageOptions())
    , m_background(new ThemedBackground(services.settings(), services.appearance(), this))
    , m_scrollArea(new QScrollArea(m_background))
    , m_tools(new QWidget)
    , m_languageButton(new QPushButton(m_tools))
    , m_languageLabel(new QLabel(m_languageButton))
    , m_languageChevron(new QLabel(m_languageButton))
    , m_languageMenu(new QMenu(this))
    , m_translateButton(new QPushButton(m_tools))
    , m_spinner(new ProgressSpinner(16, m_translateButton))
    , m_translateLabel(new QLabel(QStringLiteral("Translate"), m_translateButton))
    , m_copyButton(new QPushButton(m_tools))
    , m_divider(new QWidget)
    , m_previewColumn(holder())
    , m_previewLayout(new ColumnLayout(m_previewColumn, 12))
    , m_reading(new ReadableDocument(m_previewColumn, &services.appearance()))
    , m_helpButton(new FloatingHelpButton(services.appearance(), this))
    , m_closeButton(new FloatingCloseButton(services.appearance(), this)) {
    setObjectName(QStringLiteral("templateClassic"));
    // Owned by the screen, so it outlives the menu that uses it.
    m_languageMenu->setStyle(new LanguageMenuStyle(m_appearance, this));
    setWindowTitle(QStringLiteral("Preview & Translation"));
    setWindowModality(Qt::WindowModal);
    fitToAvailableGeometry(this, QSize(720, 820));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_background);
    m_background->setOrbScale(1.15);
    auto* backgroundLayout = new QVBoxLayout(m_background);
    backgroundLayout->setContentsMargins(0, 0, 0, 0);
    backgroundLayout->addWidget(m_scrollArea);

    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->viewport()->setAutoFillBackground(false);
    auto* page = holder();
    // Columns all the way down: a changed text moves what is below it and nothing else.
    auto* pageLayout = new ColumnLayout(page, 16);
    // The floating buttons stay over the top corners while the page scrolls: the page keeps its
    // text out of their columns, so no line is ever under them, the last one at the end of the
    // scroll included. Top and bottom keep 20 points.
    constexpr int side = FloatingSymbolButton::contentClearance;
    pageLayout->setContentsMargins(side, 20, side, 20);
    pageLayout->addWidget(m_tools);
    pageLayout->setAlignment(m_tools, Qt::AlignHCenter);
    m_divider->setFixedHeight(1);
    pageLayout->addWidget(m_divider);
    pageLayout->addWidget(m_previewColumn);
    m_scrollArea->setWidget(page);
    // Clear, which setWidget() undoes. No style sheet clears it instead: one over the page would
    // style and polish every text of the preview.
    page->setAutoFillBackground(false);
    // The text the arrows read on to comes into view, clear of the floating buttons.
    new FocusInView(m_scrollArea);

    buildTools();

    m_helpButton->setObjectName(QStringLiteral("templateHelpButton"));
    m_helpButton->setAccessibleDescription(QStringLiteral("Shows preview and translation help"));
    connect(m_helpButton, &FloatingHelpButton::helpRequested, this, &TemplateClassic::openHelp);
    m_closeButton->setObjectName(QStringLiteral("templateCloseButton"));
    m_closeButton->setAccessibleDescription(QStringLiteral("Closes the preview"));
    m_helpButton->raise();
    m_closeButton->raise();

    connect(&m_titles, &ResumeTitles::changed, this, &TemplateClassic::titlesChanged);
    connect(&m_appearance, &Appearance::changed, this, &TemplateClassic::applyScheme);
    // Coming back to the app (after installing a language, say) asks again.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_shownOnce)
            checkLanguageAvailability();
    });

    syncSectionTitles();
    m_pendingTextsTimer.setSingleShot(true);
    m_pendingTextsTimer.setInterval(33);
    connect(&m_pendingTextsTimer, &QTimer::timeout, this, &TemplateClassic::showPendingTexts);
    connect(m_resume.get(), &Record::propertyChanged, this, &TemplateClassic::resumeChanged);
    watchEntries();
    rebuildLanguageMenu();
    applyScheme(); // builds the preview
    // A translation started from an earlier preview of this résumé may still be running.
    if (ResumeTranslationRun* run = ResumeTranslationRun::runningFor(*m_resume))
        attachTranslation(run);
}

TemplateClassic::~TemplateClassic() = default;

void TemplateClassic::buildTools() {
    m_tools->setMaximumWidth(toolsMaxWidth);
    m_tools->setMinimumWidth(toolsMaxWidth);
    auto* layout = new QVBoxLayout(m_tools);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    // The language menu's face: the choice, a spacer and a chevron.
    m_languageButton->setObjectName(QStringLiteral("templateLanguageMenu"));
    m_languageButton->setAccessibleName(QStringLiteral("Language"));
    m_languageButton->setAccessibleDescription(QStringLiteral("Chooses a language for translation"));
    m_languageButton->setCursor(Qt::PointingHandCursor);
    auto* face = new QHBoxLayout(m_languageButton);
    face->setContentsMargins(16, 12, 16, 12);
    face->addWidget(m_languageLabel);
    face->addStretch(1);
    face->addWidget(m_languageChevron);
    m_languageLabel->setFont(systemFont(17));
    m_languageButton->setMinimumHeight(46);
    connect(m_languageButton, &QPushButton::clicked, this, [this] {
        m_languageMenu->setMinimumWidth(m_languageButton->width());
        m_languageMenu->popup(m_languageButton->mapToGlobal(QPoint(0, m_languageButton->height())));
        // A screen reader says the menu and its row as it opens.
        putLanguageMenuOnARow();
    });
    layout->addWidget(m_languageButton);

    m_translateButton->setObjectName(QStringLiteral("translateResumeButton"));
    m_translateButton->setAccessibleName(QStringLiteral("Translate"));
    m_translateButton->setAccessibleDescription(
        QStringLiteral("Translates the resume into the selected language"));
    auto* translateFace = new QHBoxLayout(m_translateButton);
    translateFace->setContentsMargins(0, 12, 0, 12);
    translateFace->setSpacing(8);
    translateFace->addStretch(1);
    translateFace->addWidget(m_spinner);
    translateFace->addWidget(m_translateLabel);
    translateFace->addStretch(1);
    m_translateLabel->setFont(systemFont(15, QFont::DemiBold));
    m_translateButton->setMinimumHeight(44);
    m_spinner->hide();
    connect(m_translateButton, &QPushButton::clicked, this, &TemplateClassic::translate);
    layout->addWidget(m_translateButton);

    m_copyButton->setObjectName(QStringLiteral("copyResumeButton"));
    m_copyButton->setAccessibleDescription(QStringLiteral("Copies the plain text resume to the clipboard"));
    m_copyButton->setFont(systemFont(15, QFont::DemiBold));
    m_copyButton->setMinimumHeight(44);
    connect(m_copyButton, &QPushButton::clicked, this, &TemplateClassic::copyResumeToClipboard);
    layout->addWidget(m_copyButton);

    for (QPushButton* button : {m_languageButton, m_copyButton})
        addFocusRing(button, m_appearance, 14);
    // Translate's own outline is the accent line already: its ring stands inside it, apart.
    addFocusRing(m_translateButton, m_appearance, 14, 3);
}

QColor TemplateClassic::textColor() const {
    return m_appearance.isLight() ? QColor::fromRgbF(0, 0, 0, 0.9) : QColor(Qt::white);
}

void TemplateClassic::applyScheme() {
    const bool light = m_appearance.isLight();
    const QColor text = textColor();
    const QColor accent = accentColor(light);
    const QColor base = light ? QColor(Qt::black) : QColor(Qt::white);

    m_languageButton->setStyleSheet(
        QStringLiteral("QPushButton#templateLanguageMenu { background: %1; border: 1px solid %2;"
                       " border-radius: 14px; }")
            .arg(rgba(base, light ? 0.06 : 0.08), rgba(text, 0.25)));
    // Without a language (or while one is being translated) the button is plainly off: no accent,
    // dimmed text.
    m_translateButton->setStyleSheet(
        QStringLiteral(
            "QPushButton#translateResumeButton { background: %1; border: 1px solid %2;"
            " border-radius: 14px; }"
            "QPushButton#translateResumeButton:disabled { background: %3; border: 1px dashed %4; }")
            .arg(rgba(accent, 0.18), rgba(accent, 1.0), rgba(base, light ? 0.03 : 0.05), rgba(text, 0.3)));
    m_copyButton->setStyleSheet(
        QStringLiteral("QPushButton#copyResumeButton { background: %1; border: 1px solid %2;"
                       " border-radius: 14px; padding: 12px 0; color: %3; }")
            .arg(rgba(base, light ? 0.04 : 0.06), rgba(text, 0.2), rgba(text, 1.0)));
    for (QLabel* label : {m_languageLabel, m_translateLabel})
        label->setStyleSheet(
            QStringLiteral("QLabel { color: %1; background: transparent; }"
                           "QLabel:disabled { color: %2; }")
                .arg(rgba(text, 1.0), schemeColors::disabledLabel(light).name(QColor::HexArgb)));
    m_languageChevron->setPixmap(symbolPixmap(QStringLiteral("chevron.down"), text, 14, devicePixelRatioF()));
    m_spinner->setColor(accent);
    m_divider->setStyleSheet(QStringLiteral("background: %1;").arg(rgba(text, 0.4 * 0.35)));
    styleSlimScrollBar(m_scrollArea->verticalScrollBar(), light);
    refreshTools();
    rebuildPreview();
}

void TemplateClassic::refreshTools() {
    const QString name = m_selectedLanguage ? m_selectedLanguage->name : QStringLiteral("Choose language");
    m_languageLabel->setText(name);
    m_languageButton->setAccessibleName(QStringLiteral("Language"));
    // The menu's value, as assistive technologies read it.
    setAccessibleValue(m_languageButton, m_selectedLanguage ? m_selectedLanguage->name
                                                            : QStringLiteral("No language selected"));
    markChosenLanguageRow();
    // While a translation runs the focus waits on the tools, not on Copy Résumé, and comes back.
    setEnabledKeepingFocus(m_translateButton,
                           m_selectedLanguage.has_value() && !m_translatingLanguage.has_value());
    m_spinner->setVisible(m_translatingLanguage.has_value());

    const QColor text = textColor();
    m_copyButton->setText(m_didCopyToClipboard ? QStringLiteral("Copied to clipboard!")
                                               : QStringLiteral("Copy Résumé"));
    m_copyButton->setIcon(symbolIcon(QStringLiteral("doc.on.doc"), text));
    m_copyButton->setAccessibleName(m_copyButton->text());
}

void TemplateClassic::rebuildLanguageMenu() {
    // The flags come from the colour emoji face; the names keep the interface font.
    QFont menuFont = systemFont(15);
    menuFont.setFamilies({menuFont.family(), QStringLiteral("Noto Color Emoji")});
    m_languageMenu->setFont(menuFont);
    // Rebuilt while open (the languages' availability came in), the menu stays on its row, or
    // comes to one.
    const QString activeCode = m_languageMenu->activeAction() != nullptr
                                   ? m_languageMenu->activeAction()->data().toString()
                                   : QString();
    m_languageMenu->clear();
    m_languageMenu->setObjectName(QStringLiteral("templateLanguageMenuRows"));
    m_languageMenu->setWindowTitle(QStringLiteral("Language"));
    for (const LanguageOption& language : std::as_const(m_languages)) {
        QAction* row = m_languageMenu->addAction(language.flag + u' ' + language.name);
        row->setObjectName(QStringLiteral("languageMenuRow") + language.id.toString(QUuid::WithoutBraces));
        row->setData(language.code);
        // Unsupported pairs cannot be chosen; the menu draws them greyed.
        row->setEnabled(isLanguageChoosable(m_languageAvailability, language.code));
        const QString code = language.code;
        connect(row, &QAction::triggered, this, [this, code] {
            chooseLanguage(code);
            markChosenLanguageRow();
        });
    }
    markChosenLanguageRow();
    if (m_languageMenu->isVisible())
        putLanguageMenuOnARow(activeCode);
}

void TemplateClassic::putLanguageMenuOnARow(const QString& code) {
    QAction* current = nullptr;
    for (QAction* row : m_languageMenu->actions()) {
        if (!row->isEnabled())
            continue;
        if (row->data().toString() == code) {
            current = row;
            break;
        }
        if (current == nullptr || row->isChecked())
            current = row;
    }
    if (current != nullptr)
        m_languageMenu->setActiveAction(current);
}

void TemplateClassic::markChosenLanguageRow() {
    // Only the chosen row is checkable, so the menu draws one check mark, beside it, and a screen
    // reader hears which row is chosen.
    for (QAction* row : m_languageMenu->actions()) {
        const bool chosen = m_selectedLanguage && row->data().toString() == m_selectedLanguage->code;
        row->setCheckable(chosen);
        row->setChecked(chosen);
    }
}

void TemplateClassic::chooseLanguage(const QString& code) {
    if (!isLanguageChoosable(m_languageAvailability, code))
        return;
    for (const LanguageOption& language : std::as_const(m_languages)) {
        if (language.code == code) {
            m_selectedLanguage = language;
            refreshTools();
            announceChosenValue(m_languageButton, language.name);
            return;
        }
    }
}

void TemplateClassic::checkLanguageAvailability() {
    const QString source = translationSourceLanguage();
    const QList<LanguageOption> languages = m_languages;
    TranslationEngine* engine = &m_services.translationEngine();
    runInBackground(
        ResultReceiver(this, QStringLiteral("Language availability")),
        [engine, source, languages] {
            return quillora::checkLanguageAvailability(*engine, source, languages);
        },
        [this](LanguageAvailability availability) {
            m_languageAvailability = std::move(availability);
            if (m_selectedLanguage && !keepsSelection(m_languageAvailability, m_selectedLanguage->code))
                m_selectedLanguage.reset();
            rebuildLanguageMenu();
            refreshTools();
            emit availabilityChecked();
        });
}

void TemplateClassic::translate() {
    if (!m_selectedLanguage || m_translatingLanguage)
        return;
    const QString code = m_selectedLanguage->code;
    // The run is the résumé's, not this screen's: it goes on if the screen closes.
    attachTranslation(ResumeTranslationRun::launch(
        m_resume, m_services.translationEngine().makeSession(translationSourceLanguage(), code), code,
        &m_titles));
}

void TemplateClassic::attachTranslation(ResumeTranslationRun* run) {
    m_run = run;
    m_translatingLanguage = run->target();
    run->setTitles(&m_titles);
    connect(run, &ResumeTranslationRun::finished, this,
            [this](ResumeTranslationRun::Outcome outcome, const QString&) {
                onTranslationFinished(int(outcome));
            });
    refreshTools();
}

void TemplateClassic::onTranslationFinished(int outcome) {
    m_run = nullptr;
    const QString target = std::exchange(m_translatingLanguage, std::nullopt).value_or(QString());
    refreshTools();
    if (ResumeTranslationRun::Outcome(outcome) == ResumeTranslationRun::Outcome::translated) {
        QString name = target;
        for (const LanguageOption& language : std::as_const(m_languages))
            if (language.code == target)
                name = language.name;
        announceOutcome(m_translateButton, QStringLiteral("Translated into ") + name + QStringLiteral("."));
    }
    if (ResumeTranslationRun::Outcome(outcome) == ResumeTranslationRun::Outcome::failed) {
        m_translationErrorMessage = ResumeTranslationRun::failureMessage();
        auto* alert = new QMessageBox(this);
        alert->setObjectName(QStringLiteral("translationErrorAlert"));
        alert->setAttribute(Qt::WA_DeleteOnClose);
        alert->setWindowTitle(alertTitle());
        alert->setText(alertTitle());
        alert->setInformativeText(m_translationErrorMessage);
        alert->setIcon(QMessageBox::NoIcon);
        auto* ok = alert->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
        ok->setObjectName(QStringLiteral("alertOKButton"));
        alert->setDefaultButton(ok);
        alert->setEscapeButton(ok);
        alert->setWindowModality(Qt::WindowModal);
        fitAlertToTexts(*alert);
        m_errorAlert = alert;
        alert->open();
    }
    emit translationFinished();
}

void TemplateClassic::copyResumeToClipboard() {
    QGuiApplication::clipboard()->setText(buildPlainTextResume(*m_resume, m_titles));
    m_didCopyToClipboard = true;
    refreshTools();
    announceOutcome(m_copyButton, m_copyButton->text());
    // Every copy schedules its own reset; a later copy does not postpone an earlier one.
    QTimer::singleShot(copyFeedbackMs, this, [this] {
        m_didCopyToClipboard = false;
        refreshTools();
    });
}

void TemplateClassic::openHelp() {
    m_helpButton->setPresented(true);
    if (m_helpSheet)
        return;
    auto* sheet = new HelpSheetContainer(m_appearance, QStringLiteral("Preview & Translation Help"), this);
    sheet->setObjectName(QStringLiteral("previewHelpSheet"));
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->addHeading(QStringLiteral("TRANSLATION"), HelpSheetContainer::headlineFont());
    sheet->addBulletRow(QStringLiteral("Select a language, then tap Translate"));
    sheet->addBulletRow(QStringLiteral("Language must be installed on your device"));
    sheet->addHeading(QStringLiteral("COPY"), HelpSheetContainer::headlineFont());
    sheet->addBulletRow(QStringLiteral("Tap Copy Résumé to copy plain text to the clipboard"));
    connect(sheet, &QDialog::finished, this, [this] { m_helpButton->setPresented(false); });
    m_helpSheet = sheet;
    sheet->open();
}

void TemplateClassic::syncSectionTitles() {
    m_titles.syncFrom(*m_resume);
}

void TemplateClassic::watchEntries() {
    for (const QMetaObject::Connection& c : std::as_const(m_entryConnections))
        disconnect(c);
    m_entryConnections.clear();
    for (const ExperiencePtr& entry : m_resume->experienceItems()) {
        const Record* raw = entry.get();
        m_entryConnections.append(connect(entry.get(), &Record::propertyChanged, this,
                                          [this, raw](int) { experienceChanged(raw); }));
    }
    for (const EducationPtr& entry : m_resume->educationItems()) {
        const Record* raw = entry.get();
        m_entryConnections.append(connect(entry.get(), &Record::propertyChanged, this,
                                          [this, raw](int) { educationChanged(raw); }));
    }
}

void TemplateClassic::schedulePreviewRebuild() {
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        m_rebuildPending = false;
        rebuildPreview();
    });
}

void TemplateClassic::showText(QLabel* label, bool shown, const QString& text) {
    if (m_rebuildPending)
        return; // the rebuild shows it
    if ((label != nullptr) != shown)
        schedulePreviewRebuild();
    else if (label)
        setPreviewText(label, text);
}

void TemplateClassic::setPreviewText(QLabel* label, const QString& text) {
    m_pendingTexts.insert(label, text);
    if (!m_pendingTextsTimer.isActive())
        m_pendingTextsTimer.start();
}

void TemplateClassic::showPendingTexts() {
    const auto pending = std::exchange(m_pendingTexts, {});
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        if (auto* text = qobject_cast<PreviewText*>(it.key()))
            text->showText(it.value());
        else
            it.key()->setText(it.value());
    }
    followDirections();
}

void TemplateClassic::followDirections() {
    const QList<QLabel*> headings = {m_summaryHeading, m_experienceHeading, m_skillsHeading,
                                     m_educationHeading, m_coverLetterHeading};
    Qt::LayoutDirection flow = Qt::LeftToRight;
    Qt::LayoutDirection header = Qt::LeftToRight;
    for (QWidget* widget : std::as_const(m_flowTexts)) {
        auto* text = qobject_cast<PreviewText*>(widget);
        if (!text)
            continue;
        const bool letter = text == m_coverLetterHeading || text == m_coverLetterLabel;
        text->setContextDirection(letter ? header : flow);
        if (letter || headings.contains(text))
            continue;
        flow = text->handedOnDirection(flow);
        if (text == m_nameLabel || text == m_contactLabel)
            header = flow;
    }
}

void TemplateClassic::resumeChanged(int property) {
    const Resume& r = *m_resume;
    switch (property) {
    case Resume::FullName:
        showText(m_nameLabel, true, r.fullName());
        break;
    case Resume::ContactInfo:
        showText(m_contactLabel, !r.contactInfo().isEmpty(), r.contactInfo());
        break;
    case Resume::Summary:
        showText(m_summaryLabel, !r.summary().isEmpty(), r.summary());
        break;
    case Resume::CoverLetterText:
        showText(m_coverLetterLabel, r.includeCoverLetter() && !r.coverLetterText().trimmed().isEmpty(),
                 r.coverLetterText());
        break;
    case Resume::ExperienceItems:
    case Resume::EducationItems:
        watchEntries();
        schedulePreviewRebuild();
        break;
    case Resume::IncludeCoverLetter:
    case Resume::FontName:
    case Resume::IncludeSkills:
    case Resume::AppliedSkills:
        schedulePreviewRebuild();
        break;
    default:
        break; // not shown here
    }
}

void TemplateClassic::experienceChanged(const Record* entry) {
    const auto it = m_experienceLabels.constFind(entry);
    if (it == m_experienceLabels.cend() || m_rebuildPending)
        return;
    const auto* e = static_cast<const Experience*>(entry);
    const QString enDash = QStringLiteral(" \u2013 ");
    setPreviewText(it->roleAndCompany, e->role() + enDash + e->company());
    setPreviewText(it->dates, e->startDate() + enDash + e->endDate());
    setPreviewText(it->details, e->details());
}

void TemplateClassic::educationChanged(const Record* entry) {
    const auto it = m_educationLabels.constFind(entry);
    if (it == m_educationLabels.cend() || m_rebuildPending)
        return;
    const auto* e = static_cast<const Education*>(entry);
    setPreviewText(*it, e->degree() + QStringLiteral(", ") + e->school() +
                            QString::fromUtf16(schoolYearSeparator) + e->year());
}

void TemplateClassic::titlesChanged() {
    if (m_summaryHeading)
        setPreviewText(m_summaryHeading, m_titles.summary());
    if (m_experienceHeading)
        setPreviewText(m_experienceHeading, m_titles.experience());
    if (m_educationHeading)
        setPreviewText(m_educationHeading, m_titles.education());
}

void TemplateClassic::rebuildPreview() {
    m_pendingTexts.clear(); // the rebuild shows every text as it is now
    m_pendingTextsTimer.stop();
    // The new texts are shown together when the column is shown again: added to the shown column,
    // each would be shown by itself later, laying the whole column out again every time.
    const bool shown = m_previewColumn->isVisible();
    // A reader in the page keeps the place: the new text there takes the focus.
    const int reading = m_reading->focusedIndex();
    m_reading->setTexts({});
    m_flowTexts.clear();
    if (shown) {
        // A text holding the focus loses it, as it would going with the old texts, rather than
        // handing it on as a hidden widget does.
        if (QWidget* focused = QApplication::focusWidget(); focused && m_previewColumn->isAncestorOf(focused))
            focused->clearFocus();
        m_previewColumn->hide();
    }
    for (int i = m_previewLayout->count() - 1; i >= 0; --i) {
        QLayoutItem* item = m_previewLayout->takeAt(i);
        delete item->widget();
        delete item;
    }
    m_nameLabel = m_contactLabel = m_summaryHeading = m_summaryLabel = nullptr;
    m_experienceHeading = m_educationHeading = m_coverLetterLabel = nullptr;
    m_skillsHeading = m_coverLetterHeading = nullptr;
    m_experienceLabels.clear();
    m_educationLabels.clear();
    const QColor text = textColor();
    // The texts' colour is in their palettes, its alpha cut to eight bits as a style sheet's rgba()
    // cuts it: a style sheet on each label costs a style of its own, polished per label, which a
    // long résumé pays thousands of times over.
    QPalette ink = m_previewColumn->palette();
    ink.setColor(QPalette::WindowText,
                 QColor(text.red(), text.green(), text.blue(), int(text.alphaF() * 255)));
    const QFont body = systemFont(17);
    const QFont headline = systemFont(17, QFont::DemiBold);
    const Resume& r = *m_resume;
    // Every text, in reading order: the keyboard reads them as one document.
    QList<QWidget*> texts;
    auto add = [&](const QString& value, const QFont& font, const QString& name = QString()) {
        QLabel* label = textLabel(value, font, m_previewColumn);
        texts << label;
        label->setPalette(ink);
        if (!name.isEmpty())
            label->setObjectName(name);
        m_previewLayout->addWidget(label);
        return label;
    };
    auto divider = [&] {
        auto* line = new QWidget(m_previewColumn);
        line->setFixedHeight(1);
        line->setStyleSheet(QStringLiteral("background: %1;").arg(rgba(text, 0.2)));
        m_previewLayout->addWidget(line);
    };
    auto heading = [&](const QString& title) {
        QLabel* label = add(title, headline);
        markAsAccessibleHeading(label);
        setDocumentHeadingLevel(label, 2);
        return label;
    };

    m_nameLabel = add(r.fullName(), namedFont(r.fontName(), 28), QStringLiteral("previewName"));
    markAsAccessibleHeading(m_nameLabel);
    setDocumentHeadingLevel(m_nameLabel, 1);
    if (!r.contactInfo().isEmpty())
        m_contactLabel = add(r.contactInfo(), body, QStringLiteral("previewContact"));
    if (!r.summary().isEmpty()) {
        divider();
        m_summaryHeading = heading(m_titles.summary());
        m_summaryLabel = add(r.summary(), body);
    }
    const QString enDash = QStringLiteral(" \u2013 ");
    const auto experience = r.experienceItems();
    if (!experience.isEmpty()) {
        divider();
        m_experienceHeading = heading(m_titles.experience());
        // The blocks stand in groups of a hundred, spaced as the column spaces its items: Qt goes
        // through the later siblings of every widget it paints anew, so ten thousand blocks side by
        // side made each rebuild cost the square of the entries.
        constexpr int groupSize = 100;
        QWidget* group = nullptr;
        ColumnLayout* groupLayout = nullptr;
        for (const ExperiencePtr& entry : experience) {
            if (!group || groupLayout->count() == groupSize) {
                group = new QWidget(m_previewColumn);
                groupLayout = new ColumnLayout(group, m_previewLayout->spacing());
                m_previewLayout->addWidget(group);
            }
            // A plain widget: Qt goes through every widget of static contents in the window each
            // time one widget in it is resized, so a static block per entry made the first layout
            // cost the square of the entries. A block is small; repainting it whole is cheap.
            auto* block = new QWidget(group);
            auto* blockLayout = new ColumnLayout(block, 4);
            block->setObjectName(QStringLiteral("previewExperience") +
                                 entry->persistentModelID().description());
            const QStringList lines = {entry->role() + enDash + entry->company(),
                                       entry->startDate() + enDash + entry->endDate(), entry->details()};
            QList<QLabel*> labels;
            for (const QString& line : lines) {
                QLabel* label = textLabel(line, body, block);
                label->setPalette(ink);
                blockLayout->addWidget(label);
                labels << label;
                texts << label;
            }
            m_experienceLabels.insert(entry.get(), {labels.at(0), labels.at(1), labels.at(2)});
            groupLayout->addWidget(block);
        }
    }
    const QStringList skills = r.appliedSkills();
    if (r.includeSkills() && !skills.isEmpty()) {
        divider();
        m_skillsHeading = heading(QStringLiteral("Skills"));
        auto* block = holder(m_previewColumn);
        auto* blockLayout = new ColumnLayout(block, 4);
        for (const QString& skill : skills) {
            QLabel* label = textLabel(QStringLiteral("\u2022 ") + skill, body, block);
            label->setPalette(ink);
            texts << label;
            blockLayout->addWidget(label);
        }
        m_previewLayout->addWidget(block);
    }
    const auto education = r.educationItems();
    if (!education.isEmpty()) {
        divider();
        m_educationHeading = heading(m_titles.education());
        for (const EducationPtr& entry : education) {
            m_educationLabels.insert(entry.get(),
                                     add(entry->degree() + QStringLiteral(", ") + entry->school() +
                                             QString::fromUtf16(schoolYearSeparator) + entry->year(),
                                         body));
        }
    }
    if (r.includeCoverLetter() && !r.coverLetterText().trimmed().isEmpty()) {
        divider();
        m_coverLetterHeading = heading(QStringLiteral("Cover Letter"));
        m_coverLetterLabel = add(r.coverLetterText(), body, QStringLiteral("previewCoverLetter"));
    }
    m_flowTexts = texts;
    followDirections();
    if (shown)
        m_previewColumn->show();
    m_reading->setTexts(texts, shown ? reading : -1);
}

void TemplateClassic::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    syncSectionTitles();
    if (!m_shownOnce) {
        m_shownOnce = true;
        checkLanguageAvailability();
    }
}

void TemplateClassic::done(int result) {
    // A running translation is the résumé's: it goes on without this screen.
    if (m_run)
        m_run->setTitles(nullptr);
    QDialog::done(result);
}

} // namespace quillora
