// Filling the source list of the set editors: the properties window opened on a set of 500, 2,000
// and 5,000 sources (its whole fill, from the show to the first paint), and the wizard's sources page
// taking 1,000 and 5,000 files from one file dialog. The sources are real files of a make-corpus.py
// tree, so every one is looked up for its icon. Prints one line per case: the median of the rounds.
//
//   SourceListBench [--rounds 3] [--sizes 500,2000,5000] [--wizard 1000,5000]

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QTreeWidget>

#include "BenchCorpus.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "editors/SourceListPage.h"
#include "editors/frmSettings.h"
#include "platform/FileDialogs.h"
#include "platform/Form.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"

namespace
{
using Clock = std::chrono::steady_clock;

// The set's FILES lines as the main window keeps them.
class BenchMainWindow : public core::MainWindowServices
{
public:
    BenchMainWindow() { core::setMainWindowServices(this); }
    ~BenchMainWindow() override { core::setMainWindowServices(nullptr); }
    bool setSetRowCell(const QString&, int, const QString&) override { return false; }
    void showFileList(const QStringList&, const QList<bool>&) override { }
    QStringList& globalVersions() override { return versions; }
    QStringList globalfiles() const override { return files; }

    QStringList files;
    QStringList versions;
};

// Hands the wizard's Files... entry the chosen files at once.
class ChosenFiles : public platform::FileDialogs
{
public:
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QStringList> chooseOpenFiles(QWidget*, const QString&, const QString&, const QString&) override
    {
        return files;
    }
    std::optional<QString> chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QStringList files;
};

// Counts any message box: a refusal would mean the case measured something else.
class CountingPrompt : public platform::Prompt
{
public:
    platform::Answer show(const platform::Message&) override
    {
        ++shown;
        return platform::Answer::Ok;
    }
    int shown = 0;
};

QList<int> numbers(const QStringList& arguments, const QString& option, const QList<int>& fallback)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        return fallback;
    QList<int> values;
    for (const QString& part : arguments.at(at + 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        values << part.toInt();
    return values;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// From the show to the first paint of the filled window.
double openProperties(BenchMainWindow& mainWindow, const QStringList& sources, int& shownRows)
{
    mainWindow.files = sources;
    core::state().CurrentSet = core::BackupSetInfo {};
    core::state().CurrentSet.ItemName = QStringLiteral("Bench");
    core::state().CurrentSet.Include = QStringLiteral("*.*");
    core::state().CurrentSet.RotationType = core::RotationMode::OneAtATime;
    const Clock::time_point start = Clock::now();
    editors::frmSettings* window = platform::Form<editors::frmSettings>::load();
    window->show();
    window->repaint();
    QCoreApplication::processEvents();
    const double elapsed = millisecondsSince(start);
    shownRows = window->sourcePage->tvBackupList->topLevelItemCount();
    platform::Form<editors::frmSettings>::unload();
    QCoreApplication::processEvents();
    return elapsed;
}

// One Files... choice of `files` on a shown wizard page, to the first paint after it.
double addInWizard(ChosenFiles& dialogs, const QStringList& files, int& shownRows)
{
    editors::SourceListPage page;
    page.resize(620, 420);
    page.show();
    QCoreApplication::processEvents();
    dialogs.files = files;
    const Clock::time_point start = Clock::now();
    page.mnuFiles_Click();
    page.repaint();
    QCoreApplication::processEvents();
    const double elapsed = millisecondsSince(start);
    shownRows = page.tvBackupList->topLevelItemCount();
    return elapsed;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rounds = std::max(1, numbers(arguments, QStringLiteral("--rounds"), {3}).value(0, 3));
    const QList<int> sizes = numbers(arguments, QStringLiteral("--sizes"), {500, 2000, 5000});
    const QList<int> wizardSizes = numbers(arguments, QStringLiteral("--wizard"), {1000, 5000});
    const int largest = std::max(*std::max_element(sizes.begin(), sizes.end()),
                                 *std::max_element(wizardSizes.begin(), wizardSizes.end()));

    qputenv("QUILLBACK_HOME", QFile::encodeName(bench::scratch().filePath(QStringLiteral("home"))));
    platform::ProgramFolder::reset();
    platform::makePrivateFolder(platform::ProgramFolder::file(QStringLiteral("data")));
    const bench::CorpusTree tree = bench::makeTree(bench::scratch().filePath(QStringLiteral("tree")), largest, 5);
    if (tree.files.size() < largest) {
        std::fprintf(stderr, "the tree holds %lld files, %d are needed\n", static_cast<long long>(tree.files.size()),
                     largest);
        return 1;
    }

    CountingPrompt prompt;
    platform::setPrompt(&prompt);
    ChosenFiles dialogs;
    platform::setFileDialogs(&dialogs);
    BenchMainWindow mainWindow;

    std::printf("%-44s %10s %8s\n", "case", "median ms", "rows");
    for (const int size : sizes) {
        QStringList lines;
        for (int i = 0; i < size; ++i)
            lines << tree.files.at(i) + QStringLiteral("\t46000.5\t1024");
        QList<double> times;
        int rows = 0;
        for (int round = 0; round < rounds; ++round)
            times << openProperties(mainWindow, lines, rows);
        std::printf("%-44s %10.1f %8d\n", qPrintable(QStringLiteral("properties window, %1 sources").arg(size)),
                    median(times), rows);
    }
    for (const int size : wizardSizes) {
        const QStringList files = tree.files.mid(0, size);
        QList<double> times;
        int rows = 0;
        for (int round = 0; round < rounds; ++round)
            times << addInWizard(dialogs, files, rows);
        std::printf("%-44s %10.1f %8d\n", qPrintable(QStringLiteral("wizard page, %1 files in one choice").arg(size)),
                    median(times), rows);
    }
    platform::setFileDialogs(nullptr);
    platform::setPrompt(nullptr);
    if (prompt.shown > 0)
        std::fprintf(stderr, "%d message boxes were shown\n", prompt.shown);
    return prompt.shown > 0 ? 1 : 0;
}
