// SPDX-License-Identifier: MIT
#include "HelpFile.h"

#include "platform/RegularFile.h"

#include <QRegularExpression>

namespace brivel::help {

namespace {

// Far above any help text; anything larger is not one.
constexpr qint64 MaxHelpFileBytes = 4 * 1024 * 1024;

const QString TopicOption = QStringLiteral("-topic ");

} // namespace

HelpRequest parseRequest(const QString &commandTail)
{
    HelpRequest request;
    QString rest = commandTail;
    if (rest.startsWith(TopicOption)) {
        rest = rest.mid(TopicOption.size());
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        const QString number = blank < 0 ? rest : rest.left(blank);
        bool ok = false;
        const int topic = number.toInt(&ok);
        if (ok && topic > 0)
            request.topic = topic;
        rest = blank < 0 ? QString() : rest.mid(blank + 1);
    }
    request.path = rest;
    return request;
}

HelpFile HelpFile::load(const QString &path)
{
    HelpFile file;
    const QString shown = QStringLiteral("\u201c%1\u201d").arg(path);
    if (path.isEmpty()) {
        file.m_error = QStringLiteral("No help file was named.");
        return file;
    }
    FileFault fault = FileFault::None;
    const QByteArray bytes = readRegularFile(path, MaxHelpFileBytes, &fault);
    if (fault == FileFault::Missing) {
        file.m_error = QStringLiteral("The help file %1 could not be found.").arg(shown);
        return file;
    }
    if (fault == FileFault::NotRegular || fault == FileFault::Unreadable) {
        file.m_error = QStringLiteral("The help file %1 could not be read.").arg(shown);
        return file;
    }
    if (fault == FileFault::TooLarge || bytes.contains('\0')) {
        file.m_error =
            QStringLiteral("The file %1 is not a help file that can be shown.").arg(shown);
        return file;
    }

    const QString text = QString::fromUtf8(bytes);
    static const QRegularExpression marker(QStringLiteral("<!--\\s*topic\\s+(\\d+)\\s*-->"));
    QRegularExpressionMatchIterator it = marker.globalMatch(text);
    qsizetype previousEnd = -1;
    int previousTopic = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (previousEnd < 0)
            file.m_head = text.left(match.capturedStart());
        else
            file.m_topics.insert(previousTopic,
                                 text.mid(previousEnd, match.capturedStart() - previousEnd));
        previousTopic = match.captured(1).toInt();
        previousEnd = match.capturedEnd();
    }
    if (previousEnd < 0) {
        // Plain HTML without markers is one page.
        file.m_topics.insert(1, text);
        return file;
    }
    QString last = text.mid(previousEnd);
    const qsizetype bodyEnd = last.indexOf(QLatin1String("</body>"), 0, Qt::CaseInsensitive);
    if (bodyEnd >= 0)
        last.truncate(bodyEnd);
    file.m_topics.insert(previousTopic, last);
    return file;
}

QString HelpFile::page(int topic) const
{
    if (m_topics.isEmpty())
        return {};
    const QString body = m_topics.value(topic, m_topics.first());
    return m_head + body + QStringLiteral("</body></html>");
}

} // namespace brivel::help
