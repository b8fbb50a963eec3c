#pragma once

#include <QObject>
#include <QString>

namespace quillora {

class Resume;

// The three section headings the preview shows and copies. They start as the default words,
// are taken from the résumé when the preview opens and replaced by a translation.
class ResumeTitles final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeTitles)

public:
    explicit ResumeTitles(QObject* parent = nullptr);
    ~ResumeTitles() override;

    QString summary() const { return m_summary; }
    QString experience() const { return m_experience; }
    QString education() const { return m_education; }

    void set(const QString& summary, const QString& experience, const QString& education);
    // The résumé's custom titles, or the default words where a title is unset.
    void syncFrom(const Resume& resume);

signals:
    void changed();

private:
    QString m_summary;
    QString m_experience;
    QString m_education;
};

} // namespace quillora
