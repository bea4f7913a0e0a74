#pragma once

#include <QString>

#include <optional>

namespace tovr::DemoGitConfig {

// The part of git's config file format that the demo Mac's `git config` needs: values are
// written quoted and escaped as git writes them and read back as git reads them, so any
// name (quotes, line breaks, a leading "-") survives the round trip. Keys are
// "section.name" or "section.subsection.name"; section and name ignore case.

// The value of the last entry for `key` in the file's `text`, or absent.
std::optional<QString> value(const QString& text, const QString& key);

// The file's `text` with `key` set to `value`: its last entry replaced, or a new entry at
// the end of its section (a new section at the end of the file when there is none).
QString withValue(const QString& text, const QString& key, const QString& value);

} // namespace tovr::DemoGitConfig
