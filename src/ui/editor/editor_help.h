#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace quillora {

class Appearance;
class HelpSheetContainer;

// One topic of an editor help sheet: its heading and its bullet rows.
struct EditorHelpTopic final {
    QString heading;
    QStringList bullets;
};

QList<EditorHelpTopic> editorHelpContent();
QList<EditorHelpTopic> experienceHelpContent();
QList<EditorHelpTopic> educationHelpContent();
QList<EditorHelpTopic> fontPickerHelpContent();

// How a sheet's topic headings are set: in the headline font, or in the sheet's own font like its
// bullets.
enum class HelpHeadings { Headline, SheetFont };

// A help sheet over `opener` titled `title` with the topics in order, set in "Oswald-Light" 16,
// its headings as `headings` says. It deletes itself when closed.
HelpSheetContainer* makeEditorHelpSheet(Appearance& appearance, const QString& title,
                                        const QList<EditorHelpTopic>& topics, QWidget* opener,
                                        HelpHeadings headings = HelpHeadings::Headline);

} // namespace quillora
