#pragma once

#include <QString>
#include <QStringList>

namespace quillora::test {

// Reading a PDF the way a reader or an ATS does, with poppler-utils (pdftotext, pdfinfo, …).

// Runs the program and gives what it wrote to standard output; a run that fails or does not end
// within two minutes is printed as a warning with the program's error output.
QString runPdfTool(const QString& program, const QStringList& args);

// The text in reading order, one line of the page per line, as pdftotext gives it to an ATS.
QString pdfText(const QString& pdf);

} // namespace quillora::test
