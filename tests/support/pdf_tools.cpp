#include "support/pdf_tools.h"

#include <QDebug>
#include <QProcess>

namespace quillora::test {

QString runPdfTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qWarning() << program << args << process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& pdf) {
    return runPdfTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
}

QString mupdfText(const QString& pdf) {
    return runPdfTool(QStringLiteral("mutool"),
                      {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-F"),
                       QStringLiteral("txt"), QStringLiteral("-o"), QStringLiteral("-"), pdf});
}

QString pdfminerText(const QString& pdf) {
    return runPdfTool(QStringLiteral("pdf2txt"), {pdf});
}

QList<PdfReader> pdfReaders() {
    return {{"poppler", pdfText}, {"MuPDF", mupdfText}, {"pdfminer", pdfminerText}};
}

} // namespace quillora::test
