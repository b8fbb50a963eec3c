#include "editor/editor_help.h"
#include "platform/appearance.h"

#include "help/help_sheet_container.h"
#include "theme/scheme_colors.h"

namespace quillora {

QList<EditorHelpTopic> editorHelpContent() {
    return {
        {QStringLiteral("EDITOR OVERVIEW"),
         {QStringLiteral("Edit one résumé at a time"), QStringLiteral("Changes save automatically")}},
        {QStringLiteral("SUMMARY"),
         {QStringLiteral("Write a short professional summary"),
          QStringLiteral("Use AI tools to refine or rewrite it")}},
        {QStringLiteral("COVER LETTER"),
         {QStringLiteral("Enable \u2018Include Cover Letter\u2019 to add one"),
          QStringLiteral("Paste a job posting for context"),
          QStringLiteral("Generate with Apple Intelligence")}},
        {QStringLiteral("ATS VERSION"),
         {QStringLiteral("Optimize content for applicant tracking systems"),
          QStringLiteral("Export an ATS-friendly PDF layout")}},
        {QStringLiteral("FONT STYLE"), {QStringLiteral("Choose a typeface for your résumé")}},
        {QStringLiteral("PORTFOLIO"),
         {QStringLiteral("Add or remove images"), QStringLiteral("Edit captions and toggle orientation"),
          QStringLiteral("Drag to reorder images)")}},
        {QStringLiteral("ACTIONS & STYLE"),
         {QStringLiteral("Preview the template and access translation tools"),
          QStringLiteral("Export Creative or ATS PDF"),
          QStringLiteral("Customize shapes, colors, and background")}},
    };
}

QList<EditorHelpTopic> experienceHelpContent() {
    return {
        {QStringLiteral("DETAILS"),
         {QStringLiteral("Describe your responsibilities and impact"),
          QStringLiteral("Write freely or refine using AI tools")}},
        {QStringLiteral("REORDERING"),
         {QStringLiteral("Use \u2018Reorder\u2019 in the résumé to drag and arrange roles")}},
        {QStringLiteral("SAVE"), {QStringLiteral("Tap Save to keep changes")}},
    };
}

QList<EditorHelpTopic> educationHelpContent() {
    return {
        {QStringLiteral("BASIC FIELDS"),
         {QStringLiteral("Add or edit the school and degree"),
          QStringLiteral("Enter the graduation or expected completion year")}},
    };
}

QList<EditorHelpTopic> fontPickerHelpContent() {
    return {
        {QStringLiteral("FONT LIST"),
         {QStringLiteral("All available résumé fonts are displayed in a scrollable list"),
          QStringLiteral("Each row previews its own font style in real time"),
          QStringLiteral("Your currently selected font shows a blue checkmark")}},
        {QStringLiteral("FONT SELECTION"),
         {QStringLiteral("Tap any font to apply it instantly to your résumé"),
          QStringLiteral("Font changes update your résumé in real time"),
          QStringLiteral("Your selection is saved automatically")}},
        {QStringLiteral("VISUAL FEEDBACK"),
         {QStringLiteral("The checkmark updates immediately when you change fonts"),
          QStringLiteral("The selected font remains highlighted when reopening the picker")}},
        {QStringLiteral("THEME INTEGRATION"),
         {QStringLiteral("The background follows your selected Quillora gradient theme"),
          QStringLiteral("Text colors and separators automatically adapt to light and dark mode")}},
        {QStringLiteral("HELP & EXIT"),
         {QStringLiteral("Tap the ? button to view this help at any time"),
          QStringLiteral("Tap the X button to close the font picker")}},
    };
}

HelpSheetContainer* makeEditorHelpSheet(Appearance& appearance, const QString& title,
                                        const QList<EditorHelpTopic>& topics, QWidget* opener,
                                        HelpHeadings headings) {
    auto* sheet = new HelpSheetContainer(appearance, title, opener);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setContentFont(namedFont(QStringLiteral("Oswald-Light"), 16));
    for (const EditorHelpTopic& topic : topics) {
        sheet->addHeading(topic.heading, headings == HelpHeadings::Headline
                                             ? std::optional<QFont>(HelpSheetContainer::headlineFont())
                                             : std::nullopt);
        for (const QString& bullet : topic.bullets)
            sheet->addBulletRow(bullet);
    }
    return sheet;
}

} // namespace quillora
