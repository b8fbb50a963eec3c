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

} // namespace quillora::test
