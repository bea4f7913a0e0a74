#include "ui/views/MarkdownText.h"

#include "ui/MarkdownLiteral.h"

#include <QRegularExpression>
#include <QUrl>

namespace tovr {

namespace {

// Renders emphasis and links in text that holds no code span (already escaped).
QString renderInline(QString text) {
    static const QRegularExpression link(QStringLiteral(R"(\[([^\]]+)\]\((https://[^\s)]+)\))"));
    static const QRegularExpression bold(QStringLiteral(R"(\*\*(.+?)\*\*)"));
    static const QRegularExpression italicStar(
        QStringLiteral(R"((?<![\w*])\*(?!\s)(.+?)(?<!\s)\*(?![\w*]))"));
    static const QRegularExpression italicUnderscore(
        QStringLiteral(R"((?<!\w)_(?!\s)(.+?)(?<!\s)_(?!\w))"));

    QString out;
    qsizetype last = 0;
    auto it = link.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        out += text.mid(last, m.capturedStart() - last);
        // The address was escaped with the rest; undo the one escape a URL may carry.
        QString href = m.captured(2);
        href.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const QUrl url(href, QUrl::StrictMode);
        if (url.isValid() && url.scheme() == QLatin1String("https"))
            out += QStringLiteral("<a href=\"%1\">%2</a>")
                       .arg(QString::fromUtf8(url.toEncoded()).toHtmlEscaped(), m.captured(1));
        else
            out += m.captured(0);
        last = m.capturedEnd();
    }
    out += text.mid(last);
    out.replace(bold, QStringLiteral("<b>\\1</b>"));
    out.replace(italicStar, QStringLiteral("<i>\\1</i>"));
    out.replace(italicUnderscore, QStringLiteral("<i>\\1</i>"));
    return out;
}

// Unicode noncharacters, which no text to show holds, stand in for escaped characters
// until the markup is rendered.
constexpr char16_t kHidden = 0xFDD0;

QString hideEscapes(const QString& markdown) {
    QString out;
    out.reserve(markdown.size());
    for (qsizetype i = 0; i < markdown.size(); ++i) {
        const qsizetype escaped = markdown[i] == u'\\' && i + 1 < markdown.size()
                                      ? kMarkdownMarkupCharacters.indexOf(markdown[i + 1])
                                      : -1;
        if (escaped < 0) {
            out += markdown[i];
        } else {
            out += QChar(char16_t(kHidden + escaped));
            ++i;
        }
    }
    return out;
}

QString restoreEscapes(QString html) {
    for (qsizetype k = 0; k < kMarkdownMarkupCharacters.size(); ++k)
        html.replace(QChar(char16_t(kHidden + k)), kMarkdownMarkupCharacters[k]);
    return html;
}

} // namespace

QString markdownToHtml(const QString& markdown) {
    const QString escaped = hideEscapes(markdown).toHtmlEscaped();
    // Code spans are literal: split them out before emphasis and links.
    QString out;
    qsizetype i = 0;
    while (i < escaped.size()) {
        const qsizetype open = escaped.indexOf(QLatin1Char('`'), i);
        const qsizetype close = open < 0 ? -1 : escaped.indexOf(QLatin1Char('`'), open + 1);
        if (open < 0 || close < 0) {
            out += renderInline(escaped.mid(i));
            break;
        }
        out += renderInline(escaped.mid(i, open - i));
        out += QStringLiteral("<code>") + escaped.mid(open + 1, close - open - 1) +
               QStringLiteral("</code>");
        i = close + 1;
    }
    out.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return restoreEscapes(out);
}

} // namespace tovr
