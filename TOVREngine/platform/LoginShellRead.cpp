#include "platform/LoginShellRead.h"

#include "platform/Error.h"
#include "platform/LiveProcessCancellation.h"
#include "platform/LiveProcessRunner.h"
#include "platform/ShellQuote.h"
#include "platform/WorkerTask.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace tovr {

namespace {

// The start-up files zsh itself loads, in the order it loads them.
const QStringList& stages() {
    static const QStringList all{QStringLiteral(".zshenv"), QStringLiteral(".zprofile"),
                                 QStringLiteral(".zshrc"), QStringLiteral(".zlogin")};
    return all;
}

// Variables that describe the read's own shell, not what the user set up.
bool isTheReadsOwn(const QString& name) {
    return name == u"PS4" || name == u"_" || name == u"SHLVL" || name == u"PWD" ||
           name == u"OLDPWD";
}

std::optional<QString> strictUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    return decoder.hasError() ? std::nullopt : std::optional(text);
}

QByteArray makeNonce() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArrayLiteral("tovr") +
           QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

// Prints the answer after the marker. Aliases are off before the body is parsed, the
// options are zsh's own, and only builtins print, so nothing the start-up files defined
// stands in for them.
QString script(const QString& nonce) {
    const QString body =
        QStringLiteral(
            "builtin zmodload -F zsh/parameter +p:parameters 2>/dev/null\n"
            "builtin print -rn -- $'\\0'%1$'\\0'\n"
            "builtin typeset n\n"
            "for n in ${(k)parameters[(R)*export*]}; do\n"
            "  builtin print -rn -- \"$n=${(P)n}\"$'\\0'\n"
            "done\n"
            "builtin print -rn -- \":zdotdir=${ZDOTDIR-}\"$'\\0'\":ps4=${PS4-}\"$'\\0'%1$'\\0'\n")
            .arg(nonce);
    return QStringLiteral("\\builtin emulate -R zsh; \\builtin setopt noaliases; \\builtin eval ") +
           shellQuote(body);
}

// The command line that starts the login shell as the Terminal does. A POSIX shell reads its
// own files, then becomes the zsh the engine's commands run in; another kind of shell, whose
// syntax the read does not speak, is stood in for by zsh alone.
std::pair<QString, QStringList> commandLine(const QString& shell, const QString& nonce) {
    const QString name = QFileInfo(shell).fileName();
    if (name == u"bash" || name == u"sh")
        return {shell,
                {QStringLiteral("-il"), QStringLiteral("-c"),
                 QStringLiteral("exec /bin/zsh -o sourcetrace -l -c \"$1\""), name, script(nonce)}};
    return {name == u"zsh" ? shell : QStringLiteral("/bin/zsh"),
            {QStringLiteral("-o"), QStringLiteral("sourcetrace"), QStringLiteral("-il"),
             QStringLiteral("-c"), script(nonce)}};
}

// The user start-up files zsh loaded itself (not through `source`), by name: from the
// trace lines "<nonce><depth>:<path>:<sourcetrace>" on standard error.
QMap<QString, QString> tracedStartupFiles(const QByteArray& err, const QByteArray& nonce) {
    QMap<QString, QString> traced;
    const QByteArray end = QByteArrayLiteral(":<sourcetrace>");
    for (const QByteArray& raw : err.split('\n')) {
        const qsizetype at = raw.indexOf(nonce);
        if (at < 0 || !raw.endsWith(end))
            continue;
        const auto line = strictUtf8(QByteArrayView(raw).sliced(
            at + nonce.size(), raw.size() - at - nonce.size() - end.size()));
        const qsizetype colon = line ? line->indexOf(u':') : -1;
        if (colon <= 0 || line->left(colon) != u"0")
            continue;
        const QString path = line->mid(colon + 1);
        const QString name = QFileInfo(path).fileName();
        if (path.startsWith(u'/') && stages().contains(name) && !traced.contains(name))
            traced.insert(name, QDir::cleanPath(path));
    }
    return traced;
}

// Where zsh reads each file the writers change: where it loaded it, else in the folder of a
// later file it loaded (nothing between could have moved it), else in the last $ZDOTDIR.
// A relative $ZDOTDIR depends on where each shell starts: no one place.
QMap<QString, QString> startupFiles(const QMap<QString, QString>& traced, const QString& zdotdir) {
    QMap<QString, QString> files;
    for (qsizetype i = 1; i <= 2; ++i) {
        const QString& name = stages()[i];
        QString path = traced.value(name);
        for (qsizetype later = i + 1; path.isEmpty() && later < stages().size(); ++later)
            if (traced.contains(stages()[later]))
                path = QFileInfo(traced.value(stages()[later])).path() + u'/' + name;
        if (!path.isEmpty())
            files.insert(name, path);
        else if (!zdotdir.isEmpty() && !zdotdir.startsWith(u'/'))
            files.insert(name, QString());
    }
    return files;
}

ToolLocations parse(const RawProcessResult& result, const QByteArray& nonce, const QString& ps4) {
    ToolLocations locations;
    locations.unanswered = true;
    const QByteArray start = '\0' + nonce + '\0';
    const qsizetype from = result.stdout_.indexOf(start);
    const qsizetype to = from < 0 ? -1 : result.stdout_.indexOf(nonce + '\0', from + start.size());
    if (to < 0)
        return locations;
    QString zdotdir;
    bool traceHeld = false;
    const QByteArray records = result.stdout_.mid(from + start.size(), to - from - start.size());
    for (const QByteArray& bytes : records.split('\0')) {
        const auto record = strictUtf8(bytes); // one odd byte costs only its own record
        const qsizetype eq = record ? record->indexOf(u'=') : -1;
        if (eq <= 0)
            continue;
        const QString name = record->left(eq), value = record->mid(eq + 1);
        if (name == u":zdotdir")
            zdotdir = value;
        else if (name == u":ps4")
            traceHeld = value == ps4;
        else if (!isTheReadsOwn(name))
            locations.environment.insert(name, value);
    }
    for (const QString& name : ToolLocations::names())
        if (const auto value = locations.environment.constFind(name);
            value != locations.environment.cend())
            locations.variables.insert(name, *value);
    // zsh follows ZDOTDIR whether or not it is exported.
    if (!zdotdir.isEmpty())
        locations.variables.insert(QStringLiteral("ZDOTDIR"), zdotdir);
    locations.startupFiles = startupFiles(
        traceHeld ? tracedStartupFiles(result.stderr_, nonce) : QMap<QString, QString>(), zdotdir);
    locations.unanswered = false;
    return locations;
}

} // namespace

ToolLocations LoginShellRead::run(ProcessRunning& runner, WorkerTask* task) const {
    const QByteArray nonce = makeNonce();
    const QString ps4 = QString::fromLatin1(nonce) + QStringLiteral("%e:%N:");
    ProcessEnvironment environment = runner.baseEnvironment();
    environment.insert(QStringLiteral("PS4"), ps4);

    auto handle = std::make_shared<LiveProcessCancellation>();
    if (task)
        task->onCancel([handle] { handle->cancel(); });
    std::mutex lock;
    std::condition_variable wake;
    bool done = false, gaveUp = false;
    // Owned here and joined below: it ends the shell when the limit passes first.
    std::thread watchdog([&] {
        std::unique_lock guard(lock);
        if (!wake.wait_for(guard, limit, [&] { return done; })) {
            gaveUp = true;
            guard.unlock();
            handle->cancel();
        }
    });
    std::optional<RawProcessResult> result;
    try {
        const auto [executable, arguments] = commandLine(shell, QString::fromLatin1(nonce));
        if (!handle->isCanceled())
            result = runner.runRaw(executable, arguments, environment, handle);
    } catch (const Error&) {
        // A shell that cannot start answers nothing.
    }
    {
        std::lock_guard guard(lock);
        done = true;
    }
    wake.notify_all();
    watchdog.join();

    ToolLocations locations;
    locations.unanswered = true;
    if (result && !gaveUp && !handle->isCanceled())
        locations = parse(*result, nonce, ps4);
    locations.loginShell = shell;
    return locations;
}

std::shared_ptr<ProcessRunning> LoginShellRead::runner() {
    ChildTimings timings;
    timings.outputDrainBound = std::chrono::milliseconds(200);
    timings.killGrace = std::chrono::milliseconds(0);
    timings.endGroupOnExit = true;
    return std::make_shared<LiveProcessRunner>(timings);
}

std::shared_ptr<ToolLocationsSource> LoginShellRead::source(std::shared_ptr<ProcessRunning> runner,
                                                            const SystemEnvironment& environment) {
    const LoginShellRead read{userLoginShell(environment)};
    return std::make_shared<ToolLocationsSource>(
        [read, runner = std::move(runner)](WorkerTask& task) { return read.run(*runner, &task); });
}

QString LoginShellRead::userLoginShell(const SystemEnvironment& environment) {
    const QString shell = environment.variable(QStringLiteral("SHELL")).value_or(QString());
    if (shell.startsWith(u'/'))
        return shell;
    // The account's shell, as the directory service has it (on a Mac too).
    passwd account{};
    passwd* found = nullptr;
    std::vector<char> buffer(16 * 1024);
    if (::getpwuid_r(::getuid(), &account, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_shell && found->pw_shell[0] == '/')
        return QFile::decodeName(found->pw_shell);
    return QStringLiteral("/bin/zsh");
}

} // namespace tovr
