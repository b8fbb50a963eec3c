#pragma once

#include "model/resume.h"

#include <QAbstractListModel>

namespace quillora {

class ModelContext;

// The context's résumés, newest lastEdited first, one row each. Follows the context: a résumé
// inserted, deleted or edited anywhere shows at once, and a change of lastEdited moves its row.
class ResumeListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeListModel)

public:
    enum Role {
        FullNameRole = Qt::UserRole + 1,
        // The row's accessibility identifier: "resumeCard" and the record's identifier.
        IdentifierRole,
        // The persistent identifier's description alone, for the row's action identifiers.
        PersistentIDRole,
    };

    explicit ResumeListModel(ModelContext& context, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    ResumePtr resumeAt(int row) const;
    int rowOf(const Resume* resume) const;

private:
    void resumeInserted(const ResumePtr& resume);
    void resumeDeleted(const ResumePtr& resume);
    void resumeChanged(Resume* resume, Resume::Property property);
    void contextSaved();
    // Where the context's order puts the résumé now, or -1.
    int sortedPositionOf(const Resume* resume) const;

    ModelContext& m_context;
    QList<ResumePtr> m_rows;
};

} // namespace quillora
