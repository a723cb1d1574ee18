#include "data/mparse.h"
#include "support/scriptedmessages.h"
#include "widgets/shellopen.h"

#include <QTemporaryDir>
#include <QTest>

// Tokenizer and shell opening: the text helpers shared by the screens.
class TestHelpersText : public QObject {
    Q_OBJECT

private slots:
    void tokens_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("delimiters");
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("empty field between") << "a;;b"
                                             << ";" << QStringList{"a", "b"};
        QTest::newRow("leading and trailing") << ";;ab;cd;"
                                              << ";" << QStringList{"ab", "cd"};
        QTest::newRow("only delimiters") << ";;;"
                                         << ";" << QStringList{};
        QTest::newRow("no delimiter") << "Unit cost"
                                      << ";" << QStringList{"Unit cost"};
        QTest::newRow("several delimiter characters")
            << "Unit cost; per box,each"
            << "; ," << QStringList{"Unit", "cost", "per", "box", "each"};
        QTest::newRow("case-sensitive") << "aXbxc"
                                        << "x" << QStringList{"aXb", "c"};
        QTest::newRow("no delimiters at all") << "a;b"
                                              << "" << QStringList{"a;b"};
    }

    void tokens() {
        QFETCH(QString, source);
        QFETCH(QString, delimiters);
        QFETCH(QStringList, tokens);
        QStringList got;
        QString token = GetToken(source, delimiters);
        while (!token.isEmpty() && got.size() < 20) {
            got << token;
            token = GetToken(QString(), delimiters);
        }
        QCOMPARE(got, tokens);
        // Once exhausted the kept text is gone: further calls keep answering empty.
        QCOMPARE(GetToken(QString(), delimiters), QString());
    }

    void newSourceRestartsScan() {
        QCOMPARE(GetToken(QStringLiteral("a;b;c"), QStringLiteral(";")), QStringLiteral("a"));
        QCOMPARE(GetToken(QStringLiteral("x;y"), QStringLiteral(";")), QStringLiteral("x"));
        QCOMPARE(GetToken(QString(), QStringLiteral(";")), QStringLiteral("y"));
        // The delimiters may change between calls on the same text.
        QCOMPARE(GetToken(QStringLiteral("p,q;r"), QStringLiteral(";")), QStringLiteral("p,q"));
        QCOMPARE(GetToken(QString(), QStringLiteral(",")), QStringLiteral(";r"));
    }

    void skipAndFind_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("found");
        QTest::newRow("first character") << "a;;b" << 1 << 1 << 2;
        QTest::newRow("run of delimiters") << "a;;b" << 2 << 4 << 2;
        QTest::newRow("last character") << "a;;b" << 4 << 4 << 5;
        QTest::newRow("past the end") << "a;;b" << 5 << 0 << 5;
        QTest::newRow("only delimiters") << ";;" << 1 << 0 << 1;
        QTest::newRow("empty text") << "" << 1 << 0 << 1;
        QTest::newRow("start below one") << ";a" << 0 << 2 << 1;
    }

    void skipAndFind() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, skipped);
        QFETCH(int, found);
        const QString delimiters = QStringLiteral(";");
        QCOMPARE(int(SkipDelimiters(text, qint16(start), delimiters)), skipped);
        QCOMPARE(int(FindDelimiter(text, qint16(start), delimiters)), found);
    }

    void veryLongText() {
        // A token past the reach of 16-bit positions still comes out whole through GetToken.
        const QString longWord(40000, u'x');
        const QString text = longWord + u';' + QStringLiteral("tail");
        QCOMPARE(GetToken(text, QStringLiteral(";")), longWord);
        QCOMPARE(GetToken(QString(), QStringLiteral(";")), QStringLiteral("tail"));
        QCOMPARE(GetToken(QString(), QStringLiteral(";")), QString());

        // The 16-bit functions stop at their limit instead of overflowing.
        QCOMPARE(FindDelimiter(text, 1, QStringLiteral(";")), qint16(kMaxTokenTextLength + 1));
        QCOMPARE(SkipDelimiters(text, qint16(kMaxTokenTextLength), QStringLiteral(";")),
                 kMaxTokenTextLength);
        const QString delimitersOnly(40000, u';');
        QCOMPARE(SkipDelimiters(delimitersOnly, 1, QStringLiteral(";")), qint16(0));
        QCOMPARE(FindDelimiter(longWord, 32767, QStringLiteral(";")),
                 qint16(kMaxTokenTextLength + 1));
    }

    void init() {
        m_opened.clear();
        m_openerAnswer = true;
        m_previousOpener = setUrlOpener([this](const QUrl& url) {
            m_opened << url;
            return m_openerAnswer;
        });
    }

    void cleanup() { setUrlOpener(std::move(m_previousOpener)); }

    void missingFileShowsTwoLineMessage() {
        ScriptedMessages messages;
        const QString target = QStringLiteral("/nonexistent/folder/canyon.mid");
        ShellOpen(target);
        QCOMPARE(messages.texts(), QStringList{QStringLiteral(
                                       "It is not possible to execute \"/nonexistent/folder/"
                                       "canyon.mid\".\r\nFile doesn't exist or computer is not "
                                       "configured to work in Internet.")});
        QCOMPARE(messages.shown().first().icon, QMessageBox::Warning);
        QCOMPARE(messages.shown().first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(messages.titles(), QStringList{QString()});
        QVERIFY(m_opened.isEmpty()); // the desktop is not bothered with a file that is not there
    }

    void refusedAddressShowsMessage() {
        ScriptedMessages messages;
        m_openerAnswer = false;
        ShellOpen(QStringLiteral("https://example.com/help"));
        QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://example.com/help"))});
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(messages.texts().first().startsWith(
            QStringLiteral("It is not possible to execute \"https://example.com/help\".\r\n")));
    }

    void existingFileAndAddressesOpen_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QUrl>("url"); // empty: the temporary file
        QTest::newRow("file") << QString() << QUrl();
        QTest::newRow("web") << "http://example.com/a b"
                             << QUrl(QStringLiteral("http://example.com/a b"));
        QTest::newRow("mail") << "mailto:sales@example.com"
                              << QUrl(QStringLiteral("mailto:sales@example.com"));
        QTest::newRow("www") << "www.example.com" << QUrl(QStringLiteral("http://www.example.com"));
    }

    void existingFileAndAddressesOpen() {
        QFETCH(QString, target);
        QFETCH(QUrl, url);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (target.isEmpty()) {
            target = dir.filePath(QStringLiteral("quote 1.htm"));
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            url = QUrl::fromLocalFile(target);
        }
        ScriptedMessages messages;
        ShellOpen(target);
        QCOMPARE(m_opened, QList<QUrl>{url});
        QVERIFY(messages.shown().isEmpty());
    }

private:
    QList<QUrl> m_opened;
    bool m_openerAnswer = true;
    UrlOpener m_previousOpener;
};

QTEST_MAIN(TestHelpersText)
#include "tst_helpers_text.moc"
