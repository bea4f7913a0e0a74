#pragma once

#include <QString>

#include <variant>

namespace tovr {

// One fix the Java diagnosis flow can offer and run. JDK paths are absolute folder paths.
class Remediation {
public:
    struct InstallTemurinViaBrew {
        QString cask;
        bool operator==(const InstallTemurinViaBrew&) const = default;
    };
    struct InstallViaSDKMAN {
        QString candidate;
        bool operator==(const InstallViaSDKMAN&) const = default;
    };
    struct InstallViaMise {
        QString version;
        bool operator==(const InstallViaMise&) const = default;
    };
    struct InstallViaPKG {
        qint64 version = 0; // Java major version
        bool operator==(const InstallViaPKG&) const = default;
    };
    struct InstallViaPKGThenJEnv {
        qint64 version = 0; // Java major version
        bool operator==(const InstallViaPKGThenJEnv&) const = default;
    };
    struct WriteJavaHomeToZprofile {
        QString jdkPath;
        bool operator==(const WriteJavaHomeToZprofile&) const = default;
    };
    struct SetJavaHomeViaSDKMAN {
        QString candidate;
        bool operator==(const SetJavaHomeViaSDKMAN&) const = default;
    };
    struct SetJavaHomeViaMise {
        QString version;
        bool operator==(const SetJavaHomeViaMise&) const = default;
    };
    struct SetJavaHomeViaJenv {
        QString jdkPath;
        qint64 majorVersion = 0;
        bool operator==(const SetJavaHomeViaJenv&) const = default;
    };
    struct KeepCurrentLegacyJava {
        QString jdkPath;
        bool operator==(const KeepCurrentLegacyJava&) const = default;
    };
    struct InstallHomebrewThenTemurin {
        QString temurinCask;
        bool operator==(const InstallHomebrewThenTemurin&) const = default;
    };
    struct InstallWarpViaBrew {
        QString cask;
        bool operator==(const InstallWarpViaBrew&) const = default;
    };
    struct InstallHomebrewThenWarp {
        QString warpCask;
        bool operator==(const InstallHomebrewThenWarp&) const = default;
    };
    struct InstallHomebrew {
        bool operator==(const InstallHomebrew&) const = default;
    };

    using Value = std::variant<InstallTemurinViaBrew, InstallViaSDKMAN, InstallViaMise,
                               InstallViaPKG, InstallViaPKGThenJEnv, WriteJavaHomeToZprofile,
                               SetJavaHomeViaSDKMAN, SetJavaHomeViaMise, SetJavaHomeViaJenv,
                               KeepCurrentLegacyJava, InstallHomebrewThenTemurin,
                               InstallWarpViaBrew, InstallHomebrewThenWarp, InstallHomebrew>;

    static Remediation installTemurinViaBrew(QString cask) {
        return Remediation(InstallTemurinViaBrew{std::move(cask)});
    }
    static Remediation installViaSDKMAN(QString candidate) {
        return Remediation(InstallViaSDKMAN{std::move(candidate)});
    }
    static Remediation installViaMise(QString version) {
        return Remediation(InstallViaMise{std::move(version)});
    }
    static Remediation installViaPKG(qint64 version) { return Remediation(InstallViaPKG{version}); }
    static Remediation installViaPKGThenJEnv(qint64 version) {
        return Remediation(InstallViaPKGThenJEnv{version});
    }
    static Remediation writeJavaHomeToZprofile(QString jdkPath) {
        return Remediation(WriteJavaHomeToZprofile{std::move(jdkPath)});
    }
    static Remediation setJavaHomeViaSDKMAN(QString candidate) {
        return Remediation(SetJavaHomeViaSDKMAN{std::move(candidate)});
    }
    static Remediation setJavaHomeViaMise(QString version) {
        return Remediation(SetJavaHomeViaMise{std::move(version)});
    }
    static Remediation setJavaHomeViaJenv(QString jdkPath, qint64 majorVersion) {
        return Remediation(SetJavaHomeViaJenv{std::move(jdkPath), majorVersion});
    }
    static Remediation keepCurrentLegacyJava(QString jdkPath) {
        return Remediation(KeepCurrentLegacyJava{std::move(jdkPath)});
    }
    static Remediation installHomebrewThenTemurin(QString temurinCask) {
        return Remediation(InstallHomebrewThenTemurin{std::move(temurinCask)});
    }
    static Remediation installWarpViaBrew(QString cask) {
        return Remediation(InstallWarpViaBrew{std::move(cask)});
    }
    static Remediation installHomebrewThenWarp(QString warpCask) {
        return Remediation(InstallHomebrewThenWarp{std::move(warpCask)});
    }
    static Remediation installHomebrew() { return Remediation(InstallHomebrew{}); }

    template <class Case> const Case* as() const { return std::get_if<Case>(&value_); }
    const Value& value() const { return value_; }

    // Stable identity for lists and usage events. The two Homebrew cask installs share
    // the "brew:" prefix, so they give the same id for the same cask.
    QString id() const;
    QString title() const;
    QString explanation() const;

    bool operator==(const Remediation&) const = default;

private:
    explicit Remediation(Value value) : value_(std::move(value)) {}
    Value value_;
};

} // namespace tovr
