#include "services/CodexConfig.h"

#include "platform/StackedCall.h"

// A malformed config ("[.a]") is the parser's error to report, never an abort in a debug build.
#define TOML_ASSERT(expr) static_cast<void>(0)
#include <toml++/toml.h>

#include <algorithm>
#include <vector>

namespace tovr {

namespace {

QString fromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The parser recurses once per level of the document, in parsing and in freeing it, and
// takes a few kB a level for nested values. A worker's stack (512 kB on macOS) holds a
// shallow document; a deeper one gets a thread with room for it. Codex stops at 80 parts of
// a key and 80 nested values, which with a table header of arrays still makes about 6,640
// levels: what Codex reads is never refused.
constexpr int kShallowDepth = 16;
constexpr int kDepthLimit = 10000;
constexpr std::size_t kDeepStack = 64 * 1024 * 1024;

// Reads the document's structure only (keys, table headers, brackets, strings, comments) and
// keeps the deepest level a key, table or array element reaches. Malformed text may give any
// number: the parser stops there at the same place, having built no more than was counted.
class DepthScan {
public:
    DepthScan(std::string_view text, int limit) : s_(text), limit_(limit) {}

    int run() {
        while (i_ < s_.size() && deepest_ <= limit_) {
            const char c = s_[i_++];
            if (c == '"' || c == '\'')
                skipString(c);
            else if (c == '#')
                skipComment();
            else if (c == '\n' && open_.empty())
                startKey(); // a top-level line ends; no key spans lines
            else if (inKey_)
                keyChar(c);
            else
                valueChar(c);
        }
        return deepest_;
    }

private:
    struct Open {
        bool table; // an inline table, else an array
        int depth;  // the level of the table or array itself
    };

    void reach(int depth) { deepest_ = std::max(deepest_, depth); }
    void startKey() {
        inKey_ = true;
        parts_ = 1;
    }
    int base() const { return open_.empty() ? tableDepth_ : open_.back().depth; }

    void keyChar(char c) {
        if (c == '.') {
            ++parts_;
        } else if (c == '=') {
            valueDepth_ = base() + parts_;
            reach(valueDepth_);
            inKey_ = false;
        } else if (c == '[' && open_.empty()) {
            header();
        } else if (c == '}' && !open_.empty()) {
            close(); // an empty inline table, or one after a trailing comma
        }
    }

    void valueChar(char c) {
        if (c == '{' || c == '[') {
            open_.push_back({c == '{', valueDepth_});
            reach(valueDepth_ + 1);
            if (c == '{')
                startKey();
            else
                valueDepth_ = open_.back().depth + 1;
        } else if ((c == '}' || c == ']') && !open_.empty()) {
            close();
        } else if (c == ',' && !open_.empty()) {
            if (open_.back().table)
                startKey();
            else
                valueDepth_ = open_.back().depth + 1;
        }
    }

    void close() {
        open_.pop_back();
        inKey_ = false;
        if (!open_.empty() && !open_.back().table)
            valueDepth_ = open_.back().depth + 1;
    }

    // [a.b] or [[a.b]]: each part a table, or an array of tables and its last table.
    void header() {
        int parts = 1;
        while (i_ < s_.size() && s_[i_] != ']' && s_[i_] != '\n') {
            const char c = s_[i_++];
            if (c == '"' || c == '\'')
                skipString(c);
            else if (c == '.')
                ++parts;
        }
        tableDepth_ = 2 * parts;
        reach(tableDepth_);
        parts_ = 1;
    }

    void skipComment() {
        while (i_ < s_.size() && s_[i_] != '\n')
            ++i_;
    }

    bool follows(std::string_view what) const { return s_.substr(i_, what.size()) == what; }

    // From just after the opening quote to just after the closing one. A single-line string
    // also ends at a line break, where the parser stops too.
    void skipString(char quote) {
        const std::string_view triple = quote == '"' ? "\"\"" : "''";
        const bool multiline = follows(triple);
        if (multiline)
            i_ += 2;
        while (i_ < s_.size()) {
            const char c = s_[i_++];
            if (c == '\\' && quote == '"') {
                ++i_;
            } else if (c == '\n' && !multiline) {
                --i_;
                return;
            } else if (c == quote && (!multiline || follows(triple))) {
                if (multiline) {
                    i_ += 2;
                    for (int extra = 0; extra < 2 && i_ < s_.size() && s_[i_] == quote; ++extra)
                        ++i_; // up to two quotes of the content may precede the closing three
                }
                return;
            }
        }
    }

    std::string_view s_;
    int limit_;
    size_t i_ = 0;
    int deepest_ = 0;
    int tableDepth_ = 0;
    bool inKey_ = true;
    int parts_ = 1;
    int valueDepth_ = 0;
    std::vector<Open> open_;
};

} // namespace

CodexConfig CodexConfig::parse(const QByteArray& data) {
    const std::string_view text(data.constData(), size_t(data.size()));
    const int depth = DepthScan(text, kDepthLimit).run();
    CodexConfig config;
    if (depth > kDepthLimit) {
        // Refused before the parser sees it: no stack would be enough.
        config.error_ = QStringLiteral("it nests more than %1 levels deep").arg(kDepthLimit);
    } else if (depth <= kShallowDepth) {
        config = read(text);
    } else if (!stackedCall(kDeepStack, [&] {
                   try {
                       config = read(text);
                   } catch (const std::exception& e) {
                       config.error_ = QString::fromLocal8Bit(e.what());
                   }
               })) {
        config.error_ = QStringLiteral("it nests too deep to be read now");
    }
    return config;
}

CodexConfig CodexConfig::read(std::string_view text) {
    CodexConfig config;
    toml::table document;
    try {
        document = toml::parse(text);
    } catch (const toml::parse_error& e) {
        config.error_ = fromStd(e.description()) + QStringLiteral(" (line %1, column %2)")
                                                       .arg(e.source().begin.line)
                                                       .arg(e.source().begin.column);
        return config;
    }
    if (const toml::table* servers = document["mcp_servers"].as_table()) {
        for (const auto& [key, node] : *servers) {
            const toml::table* table = node.as_table();
            if (!table)
                continue;
            Server server;
            if (const auto value = (*table)["url"].value<std::string_view>())
                server.url = fromStd(*value);
            server.reachable = table->contains("url") || table->contains("command");
            config.servers_.emplace(fromStd(key.str()), server);
        }
    }
    return config;
}

bool CodexConfig::hasServer(const QString& slug) const {
    const auto found = servers_.find(slug);
    return found != servers_.end() && found->second.reachable;
}

std::optional<QString> CodexConfig::serverURL(const QString& slug) const {
    const auto found = servers_.find(slug);
    return found == servers_.end() ? std::nullopt : found->second.url;
}

} // namespace tovr
