#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace quillora::test {

// Sends standard output (or `stream`, standard error say) to a file while it lives; lines() gives
// what was printed so far.
class StdoutCapture final {
public:
    explicit StdoutCapture(int stream = STDOUT_FILENO)
        : m_path(QDir::tempPath() +
                 QStringLiteral("/stdout-capture-%1.txt").arg(reinterpret_cast<quintptr>(this)))
        , m_stream(stream) {
        std::fflush(stdout);
        std::fflush(stderr);
        m_saved = ::dup(m_stream);
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, m_stream);
        ::close(fd);
    }
    ~StdoutCapture() {
        const bool capturing = m_saved >= 0;
        restore();
        // A check that failed while its report was captured (a wait on a line that never came)
        // is still seen, with what was printed around it.
        if (capturing && QTest::currentTestFailed()) {
            const QByteArray text = printed().join(u'\n').toUtf8();
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        }
        QFile::remove(m_path);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Ends the capture (so later test output is seen again) and returns the printed lines.
    QStringList lines() {
        restore();
        return printed();
    }

    // What was printed so far, the capture going on: a test waits for a line with it.
    QStringList linesSoFar() const {
        std::fflush(stdout);
        std::fflush(stderr);
        return printed();
    }

private:
    QStringList printed() const {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromUtf8(file.readAll());
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(m_saved, m_stream);
        ::close(m_saved);
        m_saved = -1;
    }

    QString m_path;
    int m_stream;
    int m_saved = -1;
};

// The lines that `work` prints on standard output. Keep checks outside `work`: QtTest reports
// on standard output too.
template <typename Work> QStringList printedBy(Work&& work) {
    StdoutCapture capture;
    work();
    return capture.lines();
}

} // namespace quillora::test
