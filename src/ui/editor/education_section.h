#pragma once

#include "model/education.h"

#include <QAbstractButton>
#include <QHash>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace quillora {

class Appearance;
class EditorSectionCard;
class ResumeEditorView;
class SymbolIconButton;
class SymbolTextButton;

// The part of an education row that opens the entry: the degree (or "New Degree") over the
// school.
class EducationOpenButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EducationOpenButton)

public:
    EducationOpenButton(Appearance& appearance, const EducationPtr& entry, QWidget* parent = nullptr);
    ~EducationOpenButton() override;

    // The title line: the degree, or "New Degree" while it is empty.
    QString titleText() const;
    void refresh();
    // Re-reads the identifier while the entry is not yet saved; true when it did.
    bool refreshIdentifier();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    EducationPtr m_entry;
    Appearance* m_appearance;
    bool m_identifierTemporary = true;
};

// The Education card: the entries in display order with their delete buttons, and
// "Add Education".
class EducationSection final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EducationSection)

public:
    explicit EducationSection(ResumeEditorView& editor, QWidget* parent = nullptr);
    ~EducationSection() override;

    void sync();
    void refreshRows();
    // The rows of entries saved for the first time take their store identity.
    void refreshIdentifiers();
    // The open buttons, top to bottom.
    QList<EducationOpenButton*> rows() const;
    // The open button of the entry's row, or null.
    EducationOpenButton* rowFor(const Education* entry) const {
        return m_rows.value(const_cast<Education*>(entry)).open;
    }
    EditorSectionCard* card() const { return m_card; }
    SymbolTextButton* addButton() const { return m_add; }

private:
    struct Row {
        QWidget* widget = nullptr;
        EducationOpenButton* open = nullptr;
        SymbolIconButton* remove = nullptr;
    };
    Row makeRow(const EducationPtr& entry);
    void refreshRow(const Education& entry, const Row& row);

    ResumeEditorView& m_editor;
    EditorSectionCard* m_card;
    QWidget* m_rowsHost;
    QVBoxLayout* m_rowsLayout;
    QHash<Education*, Row> m_rows;
    SymbolTextButton* m_add;
};

} // namespace quillora
