#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quillora::test {

// Reading a PDF the way a reader or an ATS does, with poppler-utils (pdftotext, pdfinfo, …),
// MuPDF (mutool) and pdfminer (pdf2txt).

// Runs the program and gives what it wrote to standard output; a run that fails or does not end
// within two minutes is printed as a warning with the program's error output.
QString runPdfTool(const QString& program, const QStringList& args);

// The text in reading order, one line of the page per line, as pdftotext gives it to an ATS.
QString pdfText(const QString& pdf);
// The text as MuPDF gives it (mutool draw -F txt): glyphs in the order the page draws them.
QString mupdfText(const QString& pdf);
// The text as pdfminer gives it (pdf2txt): glyphs in drawing order, grouped into lines and boxes.
QString pdfminerText(const QString& pdf);

// The three readers applicant tracking systems are built on. pdfminer joins glyphs into a line only
// while each is near the one before and their boxes (an em tall, from the face's descent) overlap
// by half, and orders the pieces by their place.
struct PdfReader {
    const char* name;
    QString (*text)(const QString& pdf);
};
QList<PdfReader> pdfReaders();

} // namespace quillora::test
