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

// A help sheet over `opener` titled `title` with the topics in order, set in "Oswald-Light" 16
// with headline headings. It deletes itself when closed.
HelpSheetContainer* makeEditorHelpSheet(Appearance& appearance, const QString& title,
                                        const QList<EditorHelpTopic>& topics, QWidget* opener);

} // namespace quillora
