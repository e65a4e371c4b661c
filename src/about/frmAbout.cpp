// SPDX-License-Identifier: MIT
#include "frmAbout.h"

#include "BuildConfig.h"
#include "platform/Platform.h"
#include "sound/MSysSnd.h"
#include "timer/Twips.h"
#include "timer/frmTimer.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVersionNumber>

namespace brivel {

namespace {

const QString kTitle = QStringLiteral("Brivel");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

// Where the system information tool is found, in this order.
const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kToolValue = QStringLiteral("PATH");
const QString kToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kToolFolderValue = QStringLiteral("MSINFO");
const QString kToolFile = QStringLiteral("/MSINFO32.EXE");

// Query value, set value, create and enumerate subkeys, notify, create
// link, and read control: what the lookup has always asked for.
constexpr quint32 kKeyAccess = 0x2003F;
constexpr quint32 kValueBufferBytes = 1024;

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &place, const QString &text = {})
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

QWidget *makeLine(QWidget *parent, int index, const QRect &place, const QColor &colour)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setProperty("Index", index);
    line->setGeometry(place);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setFocusPolicy(Qt::NoFocus);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, colour);
    line->setPalette(p);
    line->setAutoFillBackground(true);
    return line;
}

} // namespace

frmAbout::frmAbout(Platform &platform)
    : QDialog(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_platform(platform)
{
    // A plain top-level window rather than a dialog window: a dialog would be
    // kept above the main window by the window manager, as if owned by it.
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Brivel"));
    setWindowIcon(QIcon(QStringLiteral(":/brivel/brivel.ico")));
    setFont(designFont(8.25));
    setModal(false);
    setSizeGripEnabled(false);
    buildControls();
    setFixedSize(tw(5730), tw(3555));
}

frmAbout::~frmAbout() = default;

void frmAbout::buildControls()
{
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twRect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twRect(240, 240, 540, 540));
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon->setPixmap(QIcon(QStringLiteral(":/brivel/brivel.ico")).pixmap(QSize(32, 32)));
    picIcon->setFocusPolicy(Qt::StrongFocus);
    // The icon takes the focus on its way round; a screen reader names it.
    picIcon->setAccessibleName(QStringLiteral("Brivel icon"));

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(twRect(4260, 3075, 1245, 345));

    const QColor black(0, 0, 0);
    lblDescription = makeLabel(
        this, "lblDescription", twRect(1020, 915, 3885, 675),
        QStringLiteral("Brivel is a simple timer utility that can play a .wav file to signal "
                       "that the time span you have chosen has passed."));
    setTextColour(lblDescription, black);

    lblDisclaimer = makeLabel(
        this, "lblDisclaimer", twRect(180, 2955, 3870, 540),
        QStringLiteral("Provided \"as is\", without warranty of any kind. The LICENSE file "
                       "has the full terms."));
    setTextColour(lblDisclaimer, black);

    lblTitle = makeLabel(this, "lblTitle", twRect(1005, 165, 3885, 480));
    lblTitle->setFont(designFont(13.5, true));
    setTextColour(lblTitle, black);

    lblVersion = makeLabel(this, "lblVersion", twRect(1050, 570, 1110, 225));

    Label1 = makeLabel(this, "Label1", twRect(1035, 1695, 2115, 615),
                       QStringLiteral("Brivel is free software under the MIT licence."));

    frmFrame1 = new QFrame(this);
    frmFrame1->setObjectName(QStringLiteral("frmFrame1"));
    frmFrame1->setGeometry(twRect(3540, 1515, 1905, 840));
    frmFrame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frmFrame1->setFocusPolicy(Qt::NoFocus);

    lblAddress = makeLabel(frmFrame1, "lblAddress", twRect(165, 165, 1560, 630),
                           QStringLiteral("The Brivel developers. Source: its git repository."));

    Label2 = makeLabel(this, "Label2", twRect(165, 2610, 3870, 315),
                       QStringLiteral("Copyright (c) 2026 The Brivel developers"));

    Line1[1] = makeLine(this, 1, twLine(90, 5654, 2445, 1), QColor(128, 128, 128));
    Line1[0] = makeLine(this, 0, twLine(105, 5654, 2460, 2), QColor(255, 255, 255));

    setTabOrder(cmdOK, picIcon);
    setTabOrder(picIcon, cmdSysInfo);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + kTitle);
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(BRIVEL_VERSION));
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(version.majorVersion())
                            .arg(version.minorVersion())
                            .arg(version.microVersion()));
    lblTitle->setText(kTitle);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    cmdOK->setFocus();
}

void frmAbout::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    close();
    deleteLater();
}

void frmAbout::accept()
{
    Unload();
}

void frmAbout::reject()
{
    Unload();
}

void frmAbout::closeEvent(QCloseEvent *event)
{
    // The close box unloads the dialog as OK does.
    if (!m_unloaded) {
        m_unloaded = true;
        deleteLater();
    }
    event->accept();
}

void frmAbout::changeEvent(QEvent *event)
{
    // The dialog has no minimize box and no task bar button to come back
    // from; where the window manager minimizes it anyway, it returns.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        QMetaObject::invokeMethod(
            this, [this] { setWindowState(windowState() & ~Qt::WindowMinimized); },
            Qt::QueuedConnection);
    }
    QDialog::changeEvent(event);
}

void frmAbout::showEvent(QShowEvent *event)
{
    // Before the window is mapped, so that the window manager never lists it.
    if (!event->spontaneous())
        m_platform.hideFromTaskbar(windowHandle());
    QDialog::showEvent(event);
}

void frmAbout::cmdOK_Click()
{
    Unload();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    const auto findAndStart = [this]() -> bool {
        HKEY root = HKEY_LOCAL_MACHINE;
        QString SysInfoPath;
        QString key = kToolKey;
        QString value = kToolValue;
        if (GetKeyValue(root, key, value, SysInfoPath) != True) {
            key = kToolFolderKey;
            value = kToolFolderValue;
            if (GetKeyValue(root, key, value, SysInfoPath) == False)
                return false;
            if (!m_platform.fileExists(SysInfoPath + kToolFile))
                return false;
            SysInfoPath += kToolFile;
        }
        // An empty command line names no program: the start fails. The tool
        // opens where it likes: no frame to open beside.
        return !SysInfoPath.isEmpty()
               && m_platform.startProgram(SysInfoPath, SW_SHOWNORMAL, QRect()) != 0;
    };

    bool started = false;
    try {
        started = findAndStart();
    } catch (const std::exception &) {
        // A value that cannot be read ends the lookup at once.
        started = false;
    }
    if (!started)
        m_platform.messageBox(kUnavailable, this);
}

qint16 frmAbout::GetKeyValue(HKEY &KeyRoot, QString &KeyName, QString &SubKeyRef, QString &KeyVal)
{
    MachineHive &hive = m_platform.machineHive();
    HKEY hKey = 0;
    if (hive.RegOpenKeyExA(KeyRoot, KeyName.toLocal8Bit(), 0, kKeyAccess, &hKey) != ERROR_SUCCESS) {
        KeyVal.clear();
        return False;
    }

    std::array<unsigned char, kValueBufferBytes> buffer{};
    quint32 size = kValueBufferBytes;
    quint32 type = REG_NONE;
    if (hive.RegQueryValueExA(hKey, SubKeyRef.toLocal8Bit(), nullptr, &type, buffer.data(), &size)
        != ERROR_SUCCESS) {
        KeyVal.clear();
        hive.RegCloseKey(hKey);
        return False;
    }

    // A size of 0 leaves nothing to trim. The key is closed before the error
    // goes up.
    if (size == 0) {
        hive.RegCloseKey(hKey);
        throw RegistryValueError("registry value without data");
    }

    // Exactly one trailing NUL goes.
    QByteArray kept(reinterpret_cast<const char *>(buffer.data()), qsizetype(size));
    if (buffer[size - 1] == 0)
        kept.chop(1);

    if (type == REG_SZ) {
        KeyVal = QString::fromLocal8Bit(kept);
    } else if (type == REG_DWORD) {
        // A hexadecimal literal, most significant byte first.
        QString literal = QStringLiteral("&h");
        for (qsizetype i = kept.size() - 1; i >= 0; --i)
            literal +=
                QStringLiteral("%1").arg(quint8(kept.at(i)), 2, 16, QLatin1Char('0')).toUpper();
        KeyVal = literal;
    }

    hive.RegCloseKey(hKey);
    return True;
}

} // namespace brivel
