#pragma once

#include "output/background_theme.h"
#include "output/resume_export_snapshot.h"
#include "platform/result.h"

#include <QString>

namespace quillora {

// Turns one résumé into a US Letter PDF in a folder of its own in the temporary directory. Works on a
// snapshot taken on the UI thread and touches no widget and no shared mutable state, so it runs on a worker.
class ResumePDFGenerator final {
public:
    enum class ResumeLayoutMode { creative, ats };

    // Writes the PDF (atomically) and returns its path: fileNameForTitle(title) in a new
    // owner-only folder of the temporary directory (privateFolderPrefix() and six letters or
    // digits), made for this call alone, so two exports never share a file. Images the snapshot
    // left in the store are read first. On failure logs "❌ PDF Export Failed: <error>", leaves
    // no folder behind and returns the error.
    static Result<QString> exportPDF(const ResumeExportSnapshot& resume, BackgroundShapeType shape,
                                     BackgroundColorTheme theme, ResumeLayoutMode mode);

    // The file name for a title: "/" becomes "-", control characters (NUL among them) and
    // direction marks and overrides are dropped, and the name is
    // shortened at a character boundary so that it and ".pdf" fit in 255 bytes of UTF-8.
    static QString fileNameForTitle(const QString& title);
    // The start of the names of the exports' folders (six letters or digits follow).
    static QString privateFolderPrefix() { return QStringLiteral("quillora-export-"); }
    // Removes an export made by exportPDF and its folder; any other path is left alone.
    static void removeExport(const QString& path);
};

using ResumeLayoutMode = ResumePDFGenerator::ResumeLayoutMode;

} // namespace quillora
