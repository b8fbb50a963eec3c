#pragma once

#include "app/list_shared_controls.h"

#include <QList>
#include <QString>

// Every text the résumé list shows: its help sheet, its alert, its menu, its bar and the OpenAI
// key prompt. Log lines stay with the code that writes them.
namespace quillora::resumeListTexts {

inline QString listName() {
    return QStringLiteral("Résumés");
}

// The bottom bar: label (also the tool tip) and hint of each button.
inline QString helpButton() {
    return QStringLiteral("Help");
}
inline QString helpButtonHint() {
    return QStringLiteral("Shows help for the main interface");
}
inline QString backgroundButton() {
    return QStringLiteral("Choose background");
}
inline QString backgroundButtonHint() {
    return QStringLiteral("Opens the background picker");
}
inline QString addButton() {
    return QStringLiteral("Add resume");
}
inline QString addButtonHint() {
    return QStringLiteral("Creates a new resume");
}

// The card's menu.
inline QString duplicateAction() {
    return QStringLiteral("Duplicate\tCtrl+D");
}
inline QString deleteAction() {
    return QStringLiteral("Delete\tDel");
}

// The delete confirmation.
inline QString deleteAlertTitle() {
    return QStringLiteral("Delete Résumé");
}
inline QString deleteAlertMessage(const QString& title) {
    return QStringLiteral("Are you sure you want to delete “") + title + QStringLiteral("”?");
}
inline QString deleteButton() {
    return QStringLiteral("Delete");
}

// The main help sheet.
inline QString helpTitle() {
    return QStringLiteral("Main Interface Help");
}
inline QList<HelpGroup> helpContent() {
    return {
        {QStringLiteral("RÉSUMÉ LIST"),
         {QStringLiteral("Résumés are sorted by most recently edited"),
          QStringLiteral("Tap a résumé to open and edit it")}},
        {QStringLiteral("QUICK GESTURES"),
         {QStringLiteral("Swipe right to duplicate a résumé"),
          QStringLiteral("Swipe left to delete a résumé")}},
        {QStringLiteral("CREATE NEW RÉSUMÉ"),
         {QStringLiteral("Tap the + button to create a new résumé"),
          QStringLiteral("The new résumé appears and is ready to edit")}},
        {QStringLiteral("BACKGROUND AND THEME"),
         {QStringLiteral("Tap the paintbrush to change the background theme")}},
        {QStringLiteral("OPENAI KEY"),
         {QStringLiteral("Add your own OpenAI API key to use OpenAI instead of Apple Intelligence"),
          QStringLiteral("Your key is stored on this device and used only for Quillora AI tools"),
          QStringLiteral("Remove the key anytime to switch back to Apple Intelligence")}},
    };
}

// The key button of the help sheet and the key prompt.
inline QString addKey() {
    return QStringLiteral("Add OpenAI API Key");
}
inline QString addKeyHint() {
    return QStringLiteral("Stores your OpenAI API key on this device");
}
inline QString removeKey() {
    return QStringLiteral("Remove OpenAI API Key");
}
inline QString removeKeyHint() {
    return QStringLiteral("Removes the stored OpenAI API key");
}
// What removing the key says.
inline QString keyRemoved() {
    return QStringLiteral("Removed the OpenAI API key.");
}
inline QString keyPromptMessage() {
    return QStringLiteral("Your key is stored on this device and will be used for all AI features.");
}
inline QString keyPlaceholder() {
    return QStringLiteral("sk-...");
}
inline QString cancel() {
    return QStringLiteral("Cancel");
}
inline QString save() {
    return QStringLiteral("Save");
}

} // namespace quillora::resumeListTexts
