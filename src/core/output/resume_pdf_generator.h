#pragma once

#include "output/background_theme.h"
#include "output/resume_export_snapshot.h"
#include "platform/result.h"

#include <QString>

namespace quillora {

// Turns one résumé into a US Letter PDF in the temporary directory. Works on a snapshot taken on
// the UI thread and touches no widget and no shared mutable state, so it runs on a worker.
class ResumePDFGenerator final {
public:
    enum class ResumeLayoutMode { creative, ats };

    // Writes the PDF (atomically) and returns its path. Images the snapshot left in the store are
    // read first. On failure logs "❌ PDF Export Failed: <error>" and returns the error. When
    // another user's file holds the name in the temporary directory, the PDF is written under the
    // same name into a new owner-only folder there, and the log says so.
    static Result<QString> exportPDF(const ResumeExportSnapshot& resume, BackgroundShapeType shape,
                                     BackgroundColorTheme theme, ResumeLayoutMode mode);

    // The file name for a title: "/" becomes "-", control characters (NUL among them) and
    // direction marks and overrides are dropped, and the name is
    // shortened at a character boundary so that it and ".pdf" fit in 255 bytes of UTF-8.
    static QString fileNameForTitle(const QString& title);
    // QDir::tempPath() joined with fileNameForTitle(title).
    static QString filePathForTitle(const QString& title);
    // The start of the names of the private folders (six letters or digits follow) that take an
    // export whose name in the temporary directory another user holds.
    static QString privateFolderPrefix() { return QStringLiteral("quillora-export-"); }
};

using ResumeLayoutMode = ResumePDFGenerator::ResumeLayoutMode;

} // namespace quillora
