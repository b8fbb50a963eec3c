// libFuzzer program over the rewrite that gives a written PDF the text of its shaped words
// (detail::writeWithSpans): whatever the file and the spans, it ends, within bounded memory and
// stack, and writes a file. Seeds: make_pdf_rewrite_seeds.

#include "pdf_rewrite_input.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const quillora::fuzz::PdfRewriteInput input = quillora::fuzz::decodedInput(data, size);
    QByteArray written;
    QBuffer buffer(&written);
    if (!buffer.open(QIODevice::WriteOnly))
        std::abort();
    const quillora::Status finished = quillora::detail::writeWithSpans(input.file, input.spans, &buffer);
    // A buffer takes any file: the rewrite never fails on what the file holds.
    if (!finished || (written.isEmpty() && !input.file.isEmpty()))
        std::abort();
    return 0;
}
