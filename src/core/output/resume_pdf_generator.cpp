#include "output/resume_pdf_generator.h"

#include "output/pdf_text.h"
#include "output/pdf_text_writer.h"
#include "output/resume_page_layout.h"
#include "platform/log.h"
#include "platform/safe_files.h"
#include "theme/font_resolver.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>

#include <unistd.h>

namespace quillora {

namespace {

constexpr qsizetype kMaxFileNameBytes = 255;

QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal) {
    QFont font = FontResolver::font(FontResolver::fallbackFamily(), size);
    font.setWeight(weight);
    font.setItalic(false);
    return font;
}

// The résumé's font at size, or the system font of that size and weight when the name resolves
// to no face.
QFont resumeFont(const QString& fontName, qreal size, QFont::Weight fallbackWeight) {
    if (FontResolver::isResolved(fontName))
        return FontResolver::font(fontName, size);
    return systemFont(size, fallbackWeight);
}

// Every text of the résumé the pages may show.
QStringList drawnTexts(const ResumeRepresentable& resume) {
    QStringList texts{resume.fullName(),
                      resume.contactInfo(),
                      resume.summary(),
                      resume.displaySummaryTitle(),
                      resume.displayExperienceTitle(),
                      resume.displayEducationTitle()};
    texts << resume.appliedSkills();
    for (const ExperienceRepresentable* e : resume.experience())
        texts << e->role() << e->company() << e->startDate() << e->endDate() << e->details();
    for (const EducationRepresentable* e : resume.education())
        texts << e->school() << e->degree() << e->year();
    for (const PortfolioItemRepresentable* item : resume.portfolio())
        texts << item->caption();
    if (resume.includeCoverLetter())
        texts << resume.coverLetterText();
    return texts;
}

Result<QString> failed(const QString& error) {
    logLine(QStringLiteral("❌ PDF Export Failed: ") + error);
    return Result<QString>::failure(error);
}

// Characters that have no place in a file name: control characters, and the marks that turn the
// direction of the text around it, which would make a name read other than it is.
bool droppedFromFileName(char32_t c) {
    return QChar::category(c) == QChar::Other_Control || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString ResumePDFGenerator::fileNameForTitle(const QString& title) {
    QString base;
    base.reserve(title.size());
    for (const char32_t c : title.toUcs4()) {
        if (c == u'/')
            base += QLatin1Char('-');
        else if (!droppedFromFileName(c))
            base += QStringView(QChar::fromUcs4(c));
    }
    const QString extension = QStringLiteral(".pdf");
    const qsizetype budget = kMaxFileNameBytes - extension.toUtf8().size();
    if (base.toUtf8().size() > budget) {
        // Cut between characters, never inside a surrogate pair, so the UTF-8 stays whole.
        qsizetype bytes = 0;
        qsizetype end = 0;
        while (end < base.size()) {
            const bool pair =
                base.at(end).isHighSurrogate() && end + 1 < base.size() && base.at(end + 1).isLowSurrogate();
            const qsizetype units = pair ? 2 : 1;
            const qsizetype size = QStringView(base).mid(end, units).toUtf8().size();
            if (bytes + size > budget)
                break;
            bytes += size;
            end += units;
        }
        base.truncate(end);
    }
    return base + extension;
}

void ResumePDFGenerator::removeExport(const QString& path) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const Result<QString> temporary = files::temporaryFolder();
    if (!temporary || !folder.fileName().startsWith(privateFolderPrefix()) ||
        folder.absolutePath() != *temporary)
        return; // not an export's own folder
    (void)::unlink(QFile::encodeName(file.absoluteFilePath()).constData());
    files::removeHeldTemporaryFolderIfEmpty(folder.absoluteFilePath());
}

Result<QString> ResumePDFGenerator::exportPDF(const ResumeExportSnapshot& snapshot, BackgroundShapeType shape,
                                              BackgroundColorTheme theme, ResumeLayoutMode mode) {
    std::optional<ResumeExportSnapshot> loaded;
    if (snapshot.hasStoredImages()) {
        loaded = snapshot; // shares the image bytes; only the entries are copied
        if (auto read = loaded->loadStoredImages(); !read)
            return failed(read.error());
    }
    const ResumeExportSnapshot& resume = loaded ? *loaded : snapshot;

    ResumeRenderContext context;
    context.resume = &resume;
    context.isATS = mode == ResumeLayoutMode::ats;
    context.shape = shape;
    context.palette = palette(theme);
    context.shapeOpacity = shapeOpacity(theme);
    context.experience = sortedBySortOrder(resume.experience());
    context.education = sortedBySortOrder(resume.education());

    if (context.isATS) {
        context.nameFont = systemFont(18);
        context.sectionTitleFont = systemFont(11);
        context.contactFont = systemFont(10);
        context.bodyFont = systemFont(10);
        context.semiboldFont = context.bodyFont;
    } else {
        const QString fontName = resume.fontName();
        context.nameFont = resumeFont(fontName, 20, QFont::Bold);
        context.sectionTitleFont = resumeFont(fontName, 14, QFont::Bold);
        context.contactFont = resumeFont(fontName, 9, QFont::Normal);
        context.bodyFont = context.contactFont;
        context.semiboldFont = resumeFont(fontName + QStringLiteral("-Semibold"), 9, QFont::DemiBold);
    }
    for (QFont* font : {&context.nameFont, &context.sectionTitleFont, &context.contactFont, &context.bodyFont,
                        &context.semiboldFont})
        *font = pdfTextFont(*font);
    // Script faces a text needs are registered before anything is laid out, which would
    // otherwise be loaded again (each text block still checks its own characters).
    for (const QString& text : drawnTexts(resume))
        FontResolver::prepareForText(context.bodyFont, text);

    // Every export goes into a new folder of its own in the temporary directory, made exclusively
    // and owner-only, under the name the title gives. No other export, push or user can write
    // there, so the file handed on holds what this call rendered, whatever runs meanwhile. An
    // export can always be made again, so it is not flushed to disk before it is handed on. The
    // folder is held as this process's while it runs: the start-up clean-up of another Quillora
    // leaves it alone until then.
    const auto folder = files::makeHeldTemporaryFolder(privateFolderPrefix());
    if (!folder)
        return failed(folder.error());
    struct RemovedUnlessFilled {
        QString folder;
        ~RemovedUnlessFilled() {
            files::removeHeldTemporaryFolderIfEmpty(folder); // stays, as it should, once the PDF is in it
        }
    } privateFolder{folder.value()};
    const QString path = folder.value() % QLatin1Char('/') % fileNameForTitle(resume.title());
    files::AtomicFileWriter file(path, files::AtomicFileWriter::Durability::cached);
    if (auto opened = file.open(); !opened)
        return failed(opened.error());
    {
        PdfTextWriter writer(file.device());
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(),
                                         QPageLayout::Point, QMarginsF()));
        writer.setTitle(resume.title());
        writer.setCreator(QStringLiteral("Quillora"));
        QPainter painter;
        if (!painter.begin(&writer))
            return failed(QStringLiteral("The PDF could not be started."));
        drawResumePages(writer, painter, context);
        // A write the system refused (a full disk, say) is reported with the system's reason.
        const auto unfinished = [&](const QString& message) {
            return file.writeError() != 0 ? failed(file.commit().error()) : failed(message);
        };
        if (!painter.end())
            return unfinished(QStringLiteral("The PDF could not be finished."));
        if (const Status finished = writer.finish(); !finished)
            return unfinished(QStringLiteral("The PDF could not be finished: ") + finished.error());
    }
    if (auto committed = file.commit(); !committed)
        return failed(committed.error());
    return path;
}

} // namespace quillora
