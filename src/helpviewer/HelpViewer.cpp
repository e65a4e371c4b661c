// SPDX-License-Identifier: MIT
#include "HelpViewer.h"

#include "platform/ViewerProtocol.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

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
    m_browser->setAccessibleName(QStringLiteral("Help topic"));

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

    // Activated, the window gives the keyboard to the text, so that the
    // paging keys work at once.
    m_browser->setFocus();
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

void HelpViewer::turnTo(int topic, int showWindow)
{
    if (!m_file.topics().isEmpty())
        showTopic(m_file.hasTopic(topic) ? topic : m_file.topics().first());
    // Raised where it is; without activation the focus stays where it was.
    const bool activate = showWindow != SW_SHOWNOACTIVATE;
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (isMinimized()) {
        // Mapped afresh, as at the start, so that the window manager is told
        // not to give it the focus; restoring it in place would.
        hide();
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    if (activate)
        activateWindow();
}

void HelpViewer::placeBeside(const QRect &mainFrame)
{
    m_mainFrame = mainFrame;
    m_whenFramed.arm();
    applyPlace();
}

void HelpViewer::applyPlace()
{
    const QScreen *screen = QGuiApplication::screenAt(m_mainFrame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!m_mainFrame.isValid() || !screen)
        return;
    // Before the window manager has framed the window, a title bar and a
    // thin border are allowed for.
    const QRect outer = frameGeometry(), inner = geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.isNull())
        frame = QMargins(4, 30, 4, 4);
    const QSize wanted = QSize(540, 480).grownBy(frame);
    const QRect place = besideRect(m_mainFrame, screen->availableGeometry(), wanted);
    if (place.isValid())
        setGeometry(place.marginsRemoved(frame));
}

void HelpViewer::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    m_whenFramed.moved();
}

QRect besideRect(const QRect &mainFrame, const QRect &screen, const QSize &wanted)
{
    const auto clampTo = [](int value, int low, int high) {
        return std::max(low, std::min(value, high));
    };
    QRect best;
    const auto consider = [&](const QRect &room, bool horizontal, bool before) {
        if (room.width() <= 0 || room.height() <= 0)
            return;
        const QSize size = wanted.boundedTo(room.size());
        QPoint at;
        if (horizontal) {
            at.setX(before ? room.right() - size.width() + 1 : room.left());
            at.setY(clampTo(mainFrame.top(), room.top(), room.bottom() - size.height() + 1));
        } else {
            at.setX(clampTo(mainFrame.left(), room.left(), room.right() - size.width() + 1));
            at.setY(before ? room.bottom() - size.height() + 1 : room.top());
        }
        const QRect place(at, size);
        if (!best.isValid()
            || qint64(size.width()) * size.height() > qint64(best.width()) * best.height())
            best = place;
    };
    consider(QRect(QPoint(mainFrame.right() + 1, screen.top()), screen.bottomRight()), true, false);
    consider(QRect(screen.topLeft(), QPoint(mainFrame.left() - 1, screen.bottom())), true, true);
    consider(QRect(QPoint(screen.left(), mainFrame.bottom() + 1), screen.bottomRight()), false,
             false);
    consider(QRect(screen.topLeft(), QPoint(screen.right(), mainFrame.top() - 1)), false, true);
    return best;
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
