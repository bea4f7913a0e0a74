#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace tovr::test {

// A test program's home and XDG folders, in a temporary folder removed at exit, so a run
// writes nothing into the home folder of whoever runs it (settings, telemetry ids, caches).
// Made first in main(), before the Qt application reads its environment.
class TemporaryHome {
public:
    TemporaryHome() : dir_(QDir::tempPath() + "/tovr-test-home-XXXXXX") {
        if (!dir_.isValid()) {
            std::fprintf(stderr, "no temporary home: %s\n", qPrintable(dir_.errorString()));
            std::abort();
        }
        QDir root(dir_.path());
        set("HOME", root.path());
        for (const auto& [variable, folder] : {std::pair{"XDG_CONFIG_HOME", ".config"},
                                               {"XDG_DATA_HOME", ".local/share"},
                                               {"XDG_CACHE_HOME", ".cache"},
                                               {"XDG_STATE_HOME", ".local/state"}}) {
            root.mkpath(folder);
            set(variable, root.filePath(folder));
        }
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

private:
    static void set(const char* variable, const QString& value) {
        qputenv(variable, QDir::toNativeSeparators(value).toLocal8Bit());
    }

    QTemporaryDir dir_;
};

} // namespace tovr::test
