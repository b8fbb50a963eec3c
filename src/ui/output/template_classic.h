#pragma once

#include "help/help_sheet_container.h"
#include "model/resume.h"
#include "output/resume_titles.h"
#include "output/resume_translation.h"
#include "output/translation_languages.h"

#include <QDialog>
#include <QHash>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <optional>

class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;

namespace quillora {

class Appearance;
class ColumnLayout;
class FloatingCloseButton;
class FloatingHelpButton;
class ProgressSpinner;
class ReadableDocument;
class Services;
class ThemedBackground;

// The preview of one résumé as plain formatted text over the themed background, with three
// tools above it: a language menu, "Translate" (translates the résumé in place into the chosen
// language) and "Copy Résumé" (puts the plain text on the clipboard). Help and close float at
// the top. Only a translation writes to the résumé; the screen itself never does.
//
// Open it with present(); it closes like any sheet (its close button, Escape) and deletes
// itself then. A translation goes on when the screen closes, and ends with its one save; a
// preview opened again meanwhile shows it running.
//
// The keyboard and a screen reader read the page's texts as one document: one Tab stop after the
// tools, from which the arrows read on text by text (controls/readable_text.h).
//
// The preview follows the résumé field by field: a changed field changes only its own text,
// and only a change of what is shown (an entry added, a section appearing) rebuilds it.
class TemplateClassic final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateClassic)

public:
    // Opens the preview of `resume` as a window-modal sheet over `parent` and returns it. The
    // services give the settings, the appearance and the translation engine, and must outlive
    // the sheet.
    static TemplateClassic* present(QWidget* parent, ResumePtr resume, Services& services);

    TemplateClassic(ResumePtr resume, Services& services, QWidget* parent = nullptr);
    ~TemplateClassic() override;

    static QString alertTitle() { return QStringLiteral("Translation Unavailable"); }

    // The screen's state.
    const QList<LanguageOption>& languages() const { return m_languages; }
    std::optional<LanguageOption> selectedLanguage() const { return m_selectedLanguage; }
    std::optional<QString> translatingLanguage() const { return m_translatingLanguage; }
    const LanguageAvailability& languageAvailability() const { return m_languageAvailability; }
    bool didCopyToClipboard() const { return m_didCopyToClipboard; }
    bool showHelpSheet() const { return m_helpSheet != nullptr; }
    bool showTranslationError() const { return m_errorAlert != nullptr; }
    QString translationErrorMessage() const { return m_translationErrorMessage; }
    const ResumeTitles& titles() const { return m_titles; }

    // The menu's rows, one per language in table order; their data is the language code.
    QMenu* languageMenu() const { return m_languageMenu; }
    QMessageBox* translationErrorAlert() const { return m_errorAlert; }
    HelpSheetContainer* helpSheet() const { return m_helpSheet; }
    QWidget* previewColumn() const { return m_previewColumn; }
    // The preview's texts, read by the keyboard as one document.
    ReadableDocument* previewReading() const { return m_reading; }

    // The tools' actions.
    void chooseLanguage(const QString& code);
    void markChosenLanguageRow();
    void translate();
    void copyResumeToClipboard();
    void openHelp();
    // Asks the engine again which languages it can translate into; the answer replaces the
    // whole map at once.
    void checkLanguageAvailability();

signals:
    void availabilityChecked();
    void translationFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void buildTools();
    void rebuildLanguageMenu();
    // Puts the open language menu on a row, as a menu opens: the one with `code` when it can be
    // chosen, else the chosen language's, else the first that can be chosen.
    void putLanguageMenuOnARow(const QString& code = QString());
    void rebuildPreview();
    void schedulePreviewRebuild();
    // Shows one changed field of the résumé or of an entry.
    void resumeChanged(int property);
    void experienceChanged(const Record* entry);
    void educationChanged(const Record* entry);
    void titlesChanged();
    // Sets a shown field's text, or rebuilds when the field appears or disappears.
    void showText(QLabel* label, bool shown, const QString& text);
    // Changed texts are shown together, some thirty times a second: a translation changes a field
    // every few milliseconds, and each change shown alone would lay out and paint the page.
    void setPreviewText(QLabel* label, const QString& text);
    void showPendingTexts();
    // Hands each text the direction of the text before it, which a paragraph of it with no strong
    // character (a line of dates) follows, as the PDF does: the résumé's texts in reading order;
    // headings follow without handing their own on; the cover letter follows the name and contact.
    void followDirections();
    // Follows the entries the résumé holds now.
    void watchEntries();
    void refreshTools();
    void applyScheme();
    void syncSectionTitles();
    void attachTranslation(ResumeTranslationRun* run);
    void onTranslationFinished(int outcome);
    QColor textColor() const;

    ResumePtr m_resume;
    Services& m_services;
    Appearance& m_appearance;
    ResumeTitles m_titles;
    QList<LanguageOption> m_languages;
    std::optional<LanguageOption> m_selectedLanguage;
    std::optional<QString> m_translatingLanguage;
    LanguageAvailability m_languageAvailability;
    bool m_didCopyToClipboard = false;
    QString m_translationErrorMessage;
    bool m_shownOnce = false;
    bool m_rebuildPending = false;
    QHash<QLabel*, QString> m_pendingTexts;
    QTimer m_pendingTextsTimer;

    ThemedBackground* m_background;
    QScrollArea* m_scrollArea;
    QWidget* m_tools;
    QPushButton* m_languageButton;
    QLabel* m_languageLabel;
    QLabel* m_languageChevron;
    QMenu* m_languageMenu;
    QPushButton* m_translateButton;
    ProgressSpinner* m_spinner;
    QLabel* m_translateLabel;
    QPushButton* m_copyButton;
    QWidget* m_divider;
    QWidget* m_previewColumn;
    ColumnLayout* m_previewLayout;
    ReadableDocument* m_reading;
    FloatingHelpButton* m_helpButton;
    FloatingCloseButton* m_closeButton;
    QPointer<HelpSheetContainer> m_helpSheet;
    QPointer<QMessageBox> m_errorAlert;
    QPointer<ResumeTranslationRun> m_run;
    QList<QMetaObject::Connection> m_entryConnections;

    // The preview's labels of each field, as last built (null where a field is not shown).
    struct ExperienceLabels {
        QLabel* roleAndCompany = nullptr;
        QLabel* dates = nullptr;
        QLabel* details = nullptr;
    };
    QLabel* m_nameLabel = nullptr;
    QLabel* m_contactLabel = nullptr;
    QLabel* m_summaryHeading = nullptr;
    QLabel* m_summaryLabel = nullptr;
    QLabel* m_experienceHeading = nullptr;
    QLabel* m_educationHeading = nullptr;
    QLabel* m_coverLetterLabel = nullptr;
    QLabel* m_skillsHeading = nullptr;
    QLabel* m_coverLetterHeading = nullptr;
    // The texts in reading order, as last built.
    QList<QWidget*> m_flowTexts;
    QHash<const Record*, ExperienceLabels> m_experienceLabels;
    QHash<const Record*, QLabel*> m_educationLabels;
};

} // namespace quillora
