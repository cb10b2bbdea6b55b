// Runs another program and measures it from the outside: wall time from start to exit and the
// program's own peak memory. The peak is taken by PeakOf, a small starter that waits for the program:
// one started straight from this process would carry this process's peak through exec, and
// RUSAGE_CHILDREN read here is the largest of all children so far.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

extern char** environ;

namespace bench
{

struct ChildEnd
{
    bool ok = false;
    double seconds = 0;
    double peakMiB = 0;
};

class Child
{
public:
    // Starts `program` with `arguments` in `folder` ("" for this process's folder), with this
    // process's environment changed by `environment`. pid() is 0 when it could not start.
    Child(const QString& program, const QStringList& arguments, const QString& folder = QString(),
          const QHash<QString, QString>& environment = {})
    {
        static int started = 0;
        m_peakFile = QStringLiteral("%1/peak-%2-%3").arg(QDir::tempPath()).arg(getpid()).arg(++started);
        std::vector<std::string> argv {QUILLBACK_PEAK_OF, m_peakFile.toStdString(), program.toStdString()};
        for (const QString& argument : arguments)
            argv.push_back(argument.toStdString());
        std::vector<std::string> env;
        for (char** entry = environ; *entry; ++entry) {
            const QString text = QString::fromLocal8Bit(*entry);
            if (!environment.contains(text.section(QLatin1Char('='), 0, 0)))
                env.emplace_back(*entry);
        }
        for (auto it = environment.cbegin(); it != environment.cend(); ++it)
            env.push_back((it.key() + QLatin1Char('=') + it.value()).toStdString());

        std::vector<char*> argp;
        for (std::string& s : argv)
            argp.push_back(s.data());
        argp.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& s : env)
            envp.push_back(s.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string where = folder.toStdString();
        if (!where.empty())
            posix_spawn_file_actions_addchdir_np(&actions, where.c_str());
        // What the program prints would only slow it down through a terminal.
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        // A group of its own, so that a benchmark that gives up ends the program too.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        m_timer.start();
        if (posix_spawn(&m_pid, argp[0], &actions, &attributes, argp.data(), envp.data()) != 0)
            m_pid = 0;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child()
    {
        if (m_pid > 0) {
            ::kill(-m_pid, SIGKILL);
            wait();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return m_pid; }
    double elapsed() const { return m_timer.nsecsElapsed() / 1e9; }

    // Waits for the end; ok when it exited with 0 (or, after `terminate`, ended by SIGTERM).
    ChildEnd wait(bool terminated = false)
    {
        ChildEnd end;
        if (m_pid <= 0)
            return end;
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        m_pid = 0;
        end.seconds = elapsed();
        QFile peak(m_peakFile);
        if (peak.open(QIODevice::ReadOnly))
            end.peakMiB = peak.readAll().trimmed().toDouble() / 1024.0;
        peak.remove();
        end.ok = (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            || (terminated && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
        return end;
    }

    ChildEnd terminate()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
        return wait(true);
    }

private:
    pid_t m_pid = 0;
    QElapsedTimer m_timer;
    QString m_peakFile;
};

// Runs a program to its end. Dirty pages of earlier steps are flushed first, so that the program
// does not pay for them.
inline ChildEnd runChild(const QString& program, const QStringList& arguments, const QString& folder = QString())
{
    sync();
    Child child(program, arguments, folder);
    return child.wait();
}

} // namespace bench
