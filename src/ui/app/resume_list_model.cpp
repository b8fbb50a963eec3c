#include "app/resume_list_model.h"

#include "controls/accessibility_traits.h"
#include "platform/log.h"
#include "store/model_context.h"

namespace quillora {

namespace {

const QString cardIdentifierPrefix = QStringLiteral("resumeCard");
const QString cardHint = QStringLiteral("Opens this resume");

} // namespace

ResumeListModel::ResumeListModel(ModelContext& context, QObject* parent)
    : QAbstractListModel(parent)
    , m_context(context) {
    auto fetched = m_context.fetchResumes();
    if (fetched)
        m_rows = std::move(fetched).value();
    else
        logLine(QStringLiteral("⚠️ Failed to load résumés: ") + fetched.error());
    connect(&m_context, &ModelContext::resumeInserted, this, &ResumeListModel::resumeInserted);
    connect(&m_context, &ModelContext::resumeDeleted, this, &ResumeListModel::resumeDeleted);
    connect(&m_context, &ModelContext::resumeChanged, this, &ResumeListModel::resumeChanged);
    connect(&m_context, &ModelContext::didSave, this, &ResumeListModel::contextSaved);
}

int ResumeListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ResumeListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Resume& resume = *m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return resume.title();
    case FullNameRole:
        return resume.fullName();
    case Qt::AccessibleTextRole:
        // A title or a name left empty leaves no comma behind.
        return namedWithValue(resume.title(), resume.fullName());
    case Qt::AccessibleDescriptionRole:
        return cardHint;
    case IdentifierRole:
        return QString(cardIdentifierPrefix + resume.persistentModelID().description());
    case PersistentIDRole:
        return resume.persistentModelID().description();
    default:
        return {};
    }
}

QHash<int, QByteArray> ResumeListModel::roleNames() const {
    auto names = QAbstractListModel::roleNames();
    names.insert(FullNameRole, "fullName");
    names.insert(IdentifierRole, "identifier");
    names.insert(PersistentIDRole, "persistentID");
    return names;
}

ResumePtr ResumeListModel::resumeAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

int ResumeListModel::rowOf(const Resume* resume) const {
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).get() == resume)
            return i;
    }
    return -1;
}

int ResumeListModel::sortedPositionOf(const Resume* resume) const {
    // The context owns the order (lastEdited, then creation); ask it rather than repeat it.
    auto fetched = m_context.fetchResumes();
    if (!fetched)
        return -1;
    for (int i = 0; i < fetched->size(); ++i) {
        if (fetched->at(i).get() == resume)
            return i;
    }
    return -1;
}

void ResumeListModel::resumeInserted(const ResumePtr& resume) {
    if (rowOf(resume.get()) >= 0)
        return;
    int row = sortedPositionOf(resume.get());
    if (row < 0 || row > m_rows.size())
        row = 0;
    beginInsertRows({}, row, row);
    m_rows.insert(row, resume);
    endInsertRows();
}

void ResumeListModel::resumeDeleted(const ResumePtr& resume) {
    const int row = rowOf(resume.get());
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void ResumeListModel::resumeChanged(Resume* resume, Resume::Property property) {
    const int row = rowOf(resume);
    if (row < 0)
        return;
    if (property == Resume::LastEdited) {
        const int target = sortedPositionOf(resume);
        if (target >= 0 && target != row && target < m_rows.size()) {
            // beginMoveRows counts the destination before the row leaves.
            beginMoveRows({}, row, row, {}, target > row ? target + 1 : target);
            m_rows.move(row, target);
            endMoveRows();
        }
        return;
    }
    if (property == Resume::Title || property == Resume::FullName) {
        const QModelIndex changed = index(row);
        emit dataChanged(changed, changed, {Qt::DisplayRole, FullNameRole, Qt::AccessibleTextRole});
    }
}

void ResumeListModel::contextSaved() {
    // Saving gives new résumés their lasting identifiers.
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1), {IdentifierRole, PersistentIDRole});
}

} // namespace quillora
