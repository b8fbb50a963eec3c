#pragma once

// Shared pieces of the benchmark programs.
#include "store/model_container.h"
#include "store/model_context.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <string>

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quillora::bench {

// Sends standard output to /dev/null while it lives: the lines the app prints (a backup's, a
// save's) stay out of the benchmark report.
class QuietStdout final {
public:
    QuietStdout() {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int m_saved = -1;
};

// Inserts `count` résumés of `experience` experience and `education` education entries each,
// with lastEdited dates in scrambled order, and saves.
inline void insertSampleResumes(ModelContext& context, int count, int experience = 5, int education = 3) {
    const QDateTime base = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        QList<ExperiencePtr> experienceItems;
        for (int j = 0; j < experience; ++j)
            experienceItems << std::make_shared<Experience>(
                QStringLiteral("Role %1").arg(j), QStringLiteral("Company"), QStringLiteral("2020"),
                QStringLiteral("2022"), QString(400, QLatin1Char('d')), j);
        QList<EducationPtr> educationItems;
        for (int j = 0; j < education; ++j)
            educationItems << std::make_shared<Education>(QStringLiteral("School"), QStringLiteral("BA"),
                                                          QStringLiteral("2010"), j);
        context.insert(std::make_shared<Resume>(
            QStringLiteral("Résumé %1").arg(i), QStringLiteral("Full Name %1").arg(i),
            QStringLiteral("contact"), QString(600, QLatin1Char('s')), experienceItems, educationItems,
            QList<PortfolioItemPtr>{}, std::nullopt, std::nullopt, std::nullopt, false, QString(), QString(),
            QString(), std::nullopt, false, QString(), QString(), std::nullopt, std::nullopt,
            QStringLiteral("Helvetica Neue"), 0, base.addSecs((i * 7919) % count), true, QStringList{},
            QStringList{QStringLiteral("Qt")}, std::nullopt));
    }
    (void)context.save();
}

// The store sizes every store benchmark runs at.
inline void storeSizes(::benchmark::internal::Benchmark* b) {
    for (int count : {1000, 10000, 100000})
        b->Arg(count);
}

// Makes the store file at `path` afresh with `count` résumés: `insert` adds those numbered
// from `from` on, `batch` of them, and saves. Written in batches, so making a large store does
// not hold every record at once.
inline void writeStoreInBatches(const QString& path, int count,
                                const std::function<void(ModelContext&, int from, int batch)>& insert) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    for (int done = 0; done < count;) {
        auto container = ModelContainer::open(path);
        if (!container)
            qFatal("store failed: %s", qPrintable(container.error()));
        ModelContext& context = container.value()->mainContext();
        context.setAutosaveEnabled(false);
        const int batch = std::min(count - done, 5000);
        insert(context, done, batch);
        done += batch;
    }
}

// A store file of `count` sample résumés (5 experience and 3 education entries each) in the
// temporary folder, made once per program run and size.
inline QString sampleStore(int count) {
    static QHash<int, QString> made;
    if (const auto it = made.constFind(count); it != made.cend())
        return *it;
    const QString path = QDir::temp().filePath(QStringLiteral("bench-%1.store").arg(count));
    writeStoreInBatches(path, count,
                        [](ModelContext& context, int, int batch) { insertSampleResumes(context, batch); });
    made.insert(count, path);
    return path;
}

// Peak memory of one case: reset the process's peak resident size before the case, read it
// (getrusage) after. Linux lets a process reset its own peak through clear_refs.
inline void resetPeakMemory() {
    malloc_trim(0); // memory an earlier case freed is handed back first
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The memory the process holds now (resident set), in MiB.
inline double residentMemoryMiB() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// What the process has written to files so far, in MiB.
inline double bytesWrittenMiB() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "wchar:")
            return double(value) / (1024.0 * 1024.0);
    }
    return 0;
}

// The peak since the last reset: the kernel's VmHWM, which clear_refs resets. (getrusage's
// figure also keeps the peak a thread had when it ended, which no reset clears: a case would
// report what an earlier one reached.)
inline double peakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long long kib = 0;
        if (key == "VmHWM:" && status >> kib)
            return double(kib) / 1024.0;
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

inline int runBenchmarks(int& argc, char** argv) {
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}

} // namespace quillora::bench
