// SPDX-License-Identifier: MIT
#include "HelpViewer.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace brivel::help {

namespace {

const QString TopicScheme = QStringLiteral("topic");

QUrl topicUrl(int topic)
{
    QUrl url;
    url.setScheme(TopicScheme);
    url.setPath(QString::number(topic));
    return url;
}

} // namespace

// Serves "topic:N" pages from the help file, so that the browser's own
// history gives the Back button.
class TopicBrowser : public QTextBrowser {
public:
    TopicBrowser(const HelpFile &file, QWidget *parent) : QTextBrowser(parent), m_file(file) {}

    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type == QTextDocument::HtmlResource && name.scheme() == TopicScheme)
            return m_file.page(name.path().toInt());
        return QTextBrowser::loadResource(type, name);
    }

private:
    const HelpFile &m_file;
};

HelpViewer::HelpViewer(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Brivel Help"));
    setWindowIcon(QIcon(QStringLiteral(":/brivel/brivel.ico")));

    m_contents = new QPushButton(QStringLiteral("&Contents"), this);
    m_contents->setObjectName(QStringLiteral("cmdContents"));
    m_back = new QPushButton(QStringLiteral("&Back"), this);
    m_back->setObjectName(QStringLiteral("cmdBack"));
    m_back->setEnabled(false);

    m_browser = new TopicBrowser(m_file, this);
    m_browser->setObjectName(QStringLiteral("txtHelp"));
    m_browser->setOpenLinks(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_contents);
    buttons->addWidget(m_back);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(m_contents, &QPushButton::clicked, this, [this] {
        if (!m_file.topics().isEmpty())
            showTopic(m_file.topics().first());
    });
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);

    resize(540, 480);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::open(const HelpRequest &request)
{
    m_file = HelpFile::load(request.path);
    m_browser->clearHistory();
    if (m_file.topics().isEmpty()) {
        m_contents->setEnabled(false);
        m_browser->setPlainText(m_file.error());
        return;
    }
    m_contents->setEnabled(true);
    showTopic(m_file.hasTopic(request.topic) ? request.topic : m_file.topics().first());
}

void HelpViewer::showTopic(int topic)
{
    if (!m_file.hasTopic(topic))
        return;
    m_browser->setSource(topicUrl(topic), QTextDocument::HtmlResource);
}

int HelpViewer::currentTopic() const
{
    if (m_file.topics().isEmpty())
        return 0;
    const QUrl source = m_browser->source();
    return source.scheme() == TopicScheme ? source.path().toInt() : 0;
}

QTextBrowser *HelpViewer::browser() const
{
    return m_browser;
}

void HelpViewer::followLink(const QUrl &link)
{
    // Links between topics are written "#topicN"; nothing else is followed.
    static const QRegularExpression target(QStringLiteral("^topic(\\d+)$"));
    const QRegularExpressionMatch match = target.match(link.fragment());
    if (match.hasMatch())
        showTopic(match.captured(1).toInt());
}

} // namespace brivel::help
