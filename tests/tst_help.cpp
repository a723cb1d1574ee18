// The Help menu: the About box with its logo, version, link and System Info button, and the
// instructional video with its missing file, its player and the form that says where to get one.
#include "app/mainwindow.h"
#include "help/aboutbox.h"
#include "help/desktopprograms.h"
#include "help/instructionalvideo.h"
#include "help/programlogo.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "widgets/shellopen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <functional>

namespace {
// Records every address handed to the desktop instead of opening it.
struct RecordedUrls {
    QList<QUrl> opened;
    UrlOpener previous;
    RecordedUrls() {
        previous = setUrlOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    ~RecordedUrls() { setUrlOpener(std::move(previous)); }
};

// Desktop programs as a test decides: a system-information program or none, a player or none,
// and every start recorded.
struct FakeDesktop {
    std::optional<ProgramCommand> systemInformation;
    bool player = false;
    bool startWorks = true;
    QList<ProgramCommand> started;
    DesktopPrograms previous;
    FakeDesktop() {
        previous = setDesktopPrograms({[this] { return systemInformation; },
                                       [this](const QString&) { return player; },
                                       [this](const ProgramCommand& command) {
                                           started << command;
                                           return startWorks;
                                       }});
    }
    ~FakeDesktop() { setDesktopPrograms(std::move(previous)); }
};

// Clicks the link a label shows, at the start of its text.
void clickLink(QLabel* label) {
    QTest::mouseClick(label, Qt::LeftButton, {},
                      QPoint(label->contentsRect().left() + 6, label->height() / 2));
}

// The media file beside the program, for as long as this lives.
struct MediaFile {
    QString path = instructionalVideoPath();
    MediaFile() {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("MThd", 4) != 4)
            qFatal("cannot write %s", qPrintable(path));
    }
    ~MediaFile() { QFile::remove(path); }
};

// The main window over a loaded program (the members are made in this order).
struct Window {
    Program program;
    bool loaded = program.load();
    frmMain window;
    Window() {
        if (!loaded)
            qWarning("the program did not load");
        window.show();
    }
};
} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void aboutBoxShowsTheProgram() {
        Window w;
        QVERIFY(whileModal([&] { w.window.mnuHelpAbout->trigger(); },
                           [&](QDialog* dialog) {
                               auto* about = qobject_cast<frmAbout*>(dialog);
                               QVERIFY(about);
                               QCOMPARE(about->parentWidget(), &w.window);
                               QStringList parts = QStringLiteral(PLENWICK_VERSION).split('.');
                               while (parts.size() < 3)
                                   parts << QStringLiteral("0");
                               QCOMPARE(about->lblVersion->text(),
                                        QStringLiteral("Version ") + parts.mid(0, 3).join('.'));
                               QVERIFY(!about->lblDisclaimer->text().isEmpty());
                               QVERIFY(!about->Image1->pixmap().isNull());
                               QTest::mouseClick(about->cmdOK, Qt::LeftButton);
                               QVERIFY(!about->isVisible());
                           }));
        // The logo is the program's icon, in every size it is drawn at.
        const QList<QSize> sizes = programIcon().availableSizes();
        for (const int size : {16, 32, 48, 64, 128, 256})
            QVERIFY(sizes.contains(QSize(size, size)));
    }

    void aboutBoxLinkSystemInfoAndKeys() {
        ScriptedMessages messages;
        RecordedUrls urls;
        FakeDesktop desktop;
        frmAbout about;
        about.show();
        about.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        clickLink(about.Label1);
        QCOMPARE(urls.opened.size(), 1);
        QVERIFY(urls.opened.first().scheme().startsWith(QStringLiteral("http")));
        // No system-information program on this desktop; Alt+S is the button (it flashes, then
        // acts).
        QTest::keyClick(about.Label1, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(messages.texts(),
                     QStringList{"System Information Is Unavailable At This Time"});
        QCOMPARE(messages.titles(), QStringList{"Plenwick"});
        // One that starts, then one that will not.
        messages.clear();
        desktop.systemInformation = ProgramCommand{QStringLiteral("/usr/bin/hardinfo"), {}};
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(desktop.started.size(), 1);
        QCOMPARE(desktop.started.first().program, QStringLiteral("/usr/bin/hardinfo"));
        QVERIFY(messages.shown().isEmpty());
        desktop.startWorks = false;
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList{"System Information Is Unavailable At This Time"});
        // Esc closes, and so does Enter.
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        about.show();
        QTest::keyClick(&about, Qt::Key_Return);
        QVERIFY(!about.isVisible());
    }

    void videoWithoutTheMediaFile() {
        QFile::remove(instructionalVideoPath());
        Window w;
        ScriptedMessages messages;
        RecordedUrls urls;
        FakeDesktop desktop;
        desktop.player = true;
        w.window.mnuHelpVideo->trigger();
        const QString expected =
            QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/canyon.mid");
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("File not found: ") + expected});
        QCOMPARE(messages.titles(), QStringList{"PX Instructional Video"});
        QVERIFY(urls.opened.isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void videoWithAndWithoutAPlayer() {
        Window w;
        MediaFile media;
        ScriptedMessages messages;
        RecordedUrls urls;
        FakeDesktop desktop;
        // A player is registered: the desktop plays the file.
        desktop.player = true;
        w.window.mnuHelpVideo->trigger();
        QCOMPARE(urls.opened, QList<QUrl>{QUrl::fromLocalFile(media.path)});
        // None: the form says where to get one, and its second label opens that address.
        desktop.player = false;
        urls.opened.clear();
        QVERIFY(whileModal([&] { w.window.mnuHelpVideo->trigger(); },
                           [&](QDialog* dialog) {
                               auto* video = qobject_cast<frmVideo*>(dialog);
                               QVERIFY(video);
                               QCOMPARE(video->parentWidget(), &w.window);
                               clickLink(video->Label2);
                               QCOMPARE(urls.opened.size(), 1);
                               QVERIFY(
                                   urls.opened.first().scheme().startsWith(QStringLiteral("http")));
                               QTest::keyClick(video, Qt::Key_Escape);
                               QVERIFY(!video->isVisible());
                           }));
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
