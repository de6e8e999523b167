// The program's windows on a real X display with a window manager, where focus and
// placement are the window manager's: a private Xvfb with Openbox (or the display in
// VORN_TEST_DISPLAY), the xcb platform, the demo catalogue on SQLite. Skips when
// Xvfb or Openbox is not installed.
#include "../execution/run/RunTestUtil.h"

#include "catalogue/fVornMain.h"
#include "database/fLoginDB.h"
#include "execution/Askme.h"
#include "execution/Qrprevr.h"
#include "execution/VornReportRun.h"
#include "execution/VornRun.h"
#include "execution/fVornQryBro.h"
#include "platform/core/SettingsStore.h"
#include "shell/frVornGenAppMDIMain.h"

#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// A private X server with a window manager, stopped by the destructor.
struct XSession
{
    pid_t server = 0, wm = 0;
    QString display;      // ":N"
    QString why;          // why there is none
    QTemporaryDir dir;

    static QString which(const char *program)
    {
        for (const QString &d : qEnvironmentVariable("PATH").split(u':'))
            if (QFileInfo(d + u'/' + QLatin1String(program)).isExecutable())
                return d + u'/' + QLatin1String(program);
        return {};
    }
    static pid_t spawn(const QStringList &args)
    {
        std::vector<QByteArray> bytes;
        for (const QString &a : args)
            bytes.push_back(a.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
    }

    bool start()
    {
        if (!qEnvironmentVariableIsEmpty("VORN_TEST_DISPLAY")) {
            display = qEnvironmentVariable("VORN_TEST_DISPLAY");
            return true;
        }
        const QString xvfb = which("Xvfb"), openbox = which("openbox");
        if (xvfb.isEmpty() || openbox.isEmpty()) {
            why = "Xvfb or openbox is not installed (apt-get install xvfb openbox), or set VORN_TEST_DISPLAY";
            return false;
        }
        // Xvfb picks a free display and writes its number to the pipe
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        server = spawn({xvfb, "-displayfd", QString::number(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        close(fds[1]);
        QByteArray number;
        pollfd p{fds[0], POLLIN, 0};
        char c;
        while (server && poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!server || number.isEmpty()) {
            why = "Xvfb did not start";
            return false;
        }
        display = u':' + QString::fromLatin1(number);
        qputenv("DISPLAY", display.toLocal8Bit());
        // Openbox runs its start-up command once it manages the screen
        const QString ready = dir.filePath("wm-ready");
        wm = spawn({openbox, "--sm-disable", "--startup", "touch " + ready});
        for (int i = 0; i < 150 && !QFile::exists(ready); ++i)
            usleep(100 * 1000);
        if (!QFile::exists(ready)) {
            why = "openbox did not start";
            return false;
        }
        return true;
    }
    ~XSession()
    {
        for (pid_t pid : {wm, server})
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
    }
};

XSession *g_x = nullptr;

// Waits for the modal dialog the run opens, lets the window manager show it, then
// answers it as a user would: Enter on its default button.
void answerNextDialog(const std::function<void(QWidget *)> &fill = {})
{
    auto *timer = new QTimer;
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fill] {
        QWidget *d = QApplication::activeModalWidget();
        if (!d || !d->isActiveWindow())
            return;
        timer->stop();
        timer->deleteLater();
        if (fill)
            fill(d);
        QTest::keyClick(d, Qt::Key_Return);
    });
    timer->start();
}

QList<TQRRussianPreview *> previews()
{
    QList<TQRRussianPreview *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<TQRRussianPreview *>(w); p && p->isVisible())
            out << p;
    return out;
}

void shot(const QString &name)
{
    const QString dir = qEnvironmentVariable("VORN_BINARY_DIR", ".") + "/desktop-shots";
    QDir().mkpath(dir);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/" + name + ".png");
}

} // namespace

class TstDesktop : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_catalogue;
    std::unique_ptr<runtest::Session> m_session;
    std::unique_ptr<TfrmVornGenAppMDImain> m_main;

private Q_SLOTS:
    void initTestCase()
    {
        if (!g_x || !g_x->why.isEmpty())
            QSKIP(qPrintable("no X display with a window manager: " + (g_x ? g_x->why : QString())));
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        m_catalogue = m_dir.filePath("demo.sqlite");
        QCOMPARE(runtest::createSqliteCatalogue(m_catalogue), QString());
        m_session = std::make_unique<runtest::Session>("SQLITE", m_catalogue);
        m_session->dm->IsAdmin(true);
        struct Quiet : TMainWindowServices {};
        m_main = std::make_unique<TfrmVornGenAppMDImain>(std::make_unique<Quiet>());
        m_main->showMaximized();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        ShowChildForm<TfrmVornMain>();
        QTRY_VERIFY(FindChildForm(TfrmVornMain::staticMetaObject));
    }
    void cleanupTestCase()
    {
        for (TQRRussianPreview *p : previews())
            p->close();
        m_main.reset();
        SetMdiArea(nullptr);
        m_session.reset();
    }

    // After OK in the prompt the window manager gives the focus back to the main window
    // just before the preview is mapped; the preview stays until the user turns away.
    void previewStaysOpen()
    {
        runtest::MessageLog log;
        const int id = SelectValue("select Id from VornForm where Name='Прайс-лист'").toInt();
        answerNextDialog();
        QVERIFY(RunReport(id, "Прайс-лист", dsScreen, 0));
        QCOMPARE(previews().size(), 1);
        QPointer<TQRRussianPreview> p = previews().first();
        QTest::qWait(1500);
        QVERIFY2(p && p->isVisible(), "the preview closed itself");
        QTRY_VERIFY(p->isActiveWindow());
        shot("preview-after-prompt");
        // the user turns to the main window (a task switch through the window manager)
        m_main->activateWindow();
        QTRY_VERIFY(p.isNull());
        QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('|')));
    }

    // A result window opened from the prompt is the active child on top, every time.
    void resultWindowOnTop()
    {
        runtest::MessageLog log;
        const int id = SelectValue("select Id from VornQuery where Name='Накладные клиента'").toInt();
        QMdiArea *area = m_main->Mdi();
        for (int round = 0; round < 3; ++round) {
            QMdiSubWindow *tree = qobject_cast<QMdiSubWindow *>(FindChildForm(TfrmVornMain::staticMetaObject)->parentWidget());
            area->setActiveSubWindow(tree);
            QTRY_VERIFY(m_main->isActiveWindow());
            answerNextDialog();
            QVERIFY(ExecuteReport(id, "Накладные клиента", nullptr, true, okQuery, 0, QString(), vrmGrids));
            auto *b = qobject_cast<TfrmVornQueryBro *>(FindQueryBrowser(id, okQuery));
            QVERIFY(b);
            QTRY_VERIFY(m_main->isActiveWindow());
            QTest::qWait(300);  // the window manager's late focus changes
            QCOMPARE(area->activeSubWindow(), b->parentWidget());
            QCOMPARE(area->subWindowList(QMdiArea::StackingOrder).last(), b->parentWidget());
            if (round == 0)
                shot("result-window");
            b->parentWidget()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('|')));
    }

    // A multi-select list opened by a real click stays open, and ticking rows keeps it so.
    void multiSelectByMouse()
    {
        if (XSession::which("xdotool").isEmpty())
            QSKIP("xdotool is not installed");
        QWidget host;
        host.setWindowTitle("Выбор");
        host.resize(320, 200);
        MultiSelectCombo box(&host);
        box.setGeometry(20, 20, 220, 24);
        box.SetItems({"Север", "Юг", "Запад"}, {"1", "2", "3"});
        host.show();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        auto click = [](const QPoint &global) {
            QProcess::execute("xdotool", {"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "1"});
        };
        click(box.mapToGlobal(box.rect().center()));
        QTRY_VERIFY(box.isPopupVisible());
        QTest::qWait(500);
        QVERIFY2(box.isPopupVisible(), "the list closed on the release of the click that opened it");
        auto *popup = box.findChild<QListWidget *>();
        auto tick = [&](int row) {
            QStyleOptionViewItem opt;
            opt.initFrom(popup->viewport());
            opt.rect = popup->visualItemRect(popup->item(row));
            opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
            const QRect r = popup->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, popup);
            click(popup->viewport()->mapToGlobal(r.center()));
        };
        tick(0);
        QTRY_COMPARE(box.SelectedValues(), QString("1"));
        tick(2);
        QTRY_COMPARE(box.SelectedValues(), QString("1, 3"));
        QTest::qWait(300);
        QVERIFY(box.isPopupVisible());
        shot("multi-select");
        // a plain click on a row chooses it alone and closes
        click(popup->viewport()->mapToGlobal(popup->visualItemRect(popup->item(1)).center()));
        QTRY_VERIFY(!box.isPopupVisible());
        QCOMPARE(box.SelectedValues(), QString("2"));
    }

    // The login dialog opens where the user left it, to the pixel, however often it opens.
    void loginDialogStaysPut()
    {
        const QString ini = m_dir.filePath("VornConn.ini");
        {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(("[Connections]\nDemo=Demo\n[Demo]\nDriver=SQLITE\nDATABASE NAME=" + m_catalogue + "\n").toUtf8());
        }
        vorn::SettingsStore store("tst_desktop", m_dir.filePath("store"));
        vorn::Database db;
        QRect placed;
        for (int round = 0; round < 4; ++round) {
            TLoginProfiles profiles(&db, &store, ini);
            profiles.Load();
            TfLoginDB dlg(&profiles);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            QTRY_VERIFY(dlg.frameGeometry() != dlg.geometry());  // decorated by the window manager
            QTest::qWait(200);
            if (round == 0) {
                // the user drags it somewhere
                dlg.setGeometry(QRect(QPoint(410, 333), dlg.size()));
                QTRY_COMPARE(dlg.geometry().topLeft(), QPoint(410, 333));
                placed = dlg.geometry();
            } else {
                QCOMPARE(dlg.geometry().topLeft(), placed.topLeft());
            }
            dlg.reject();
        }
        QCOMPARE(store.readInteger("fLoginDB", "Left"), placed.x());
        QCOMPARE(store.readInteger("fLoginDB", "Top"), placed.y());
    }
};

int main(int argc, char **argv)
{
    XSession x;
    g_x = &x;
    if (x.start())
        qputenv("QT_QPA_PLATFORM", "xcb");
    else if (x.why.isEmpty())
        x.why = "the X server could not be started";
    QTemporaryDir config;  // the program's settings store stays the test's own
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    TstDesktop t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_desktop.moc"
